// Peer process of the mail tests, driven by its command line:
//   MailPeer serve <slot> <count> <file>   server: writes the raw bytes of
//       the first <count> new records it takes to <file>; exit 0 when all
//       came, 1 when the time ran out, 2 when the slot did not open
//   MailPeer send <slot> <tag> <n> [mapped] [noslot]   client (item-operator
//       category): n records, values {tag, i}, text "peer <tag> record <i>";
//       mapped also sends through the settings store, noslot skips the slot
//   MailPeer queue <name> <n>   n records through the settings-store queue
//       alone (media category), value i, text "queued <i>"
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "MailSlot.h"
#include "MailTestSupport.h"
#include "MappedMail.h"

static bool HasFlag(int argc, char** argv, int from, const char* flag) {
  for (int i = from; i < argc; ++i)
    if (strcmp(argv[i], flag) == 0) return true;
  return false;
}

static int Serve(const char* slotName, size_t count, const char* file) {
  CMailWindow window;
  CMailSlot slot;
  if (!slot.Initialize(slotName, TEZ_MAIL_RECORDER, 0, window.Handle())) return 2;
  const bool all = window.Receive(slot, count, 20000);
  FILE* out = fopen(file, "wb");
  if (!out) return 3;
  for (const MailMessage& mail : window.received) fwrite(&mail, sizeof mail, 1, out);
  fclose(out);
  return all ? 0 : 1;
}

static int Send(const char* slotName, int tag, int n, bool mapped, bool noSlot) {
  CMailSlot slot;
  slot.EnableMappedMail(mapped ? 1 : 0);
  slot.SetUseMailslot(noSlot ? 0 : 1);
  if (!slot.Initialize(slotName, TEZ_MAIL_ITEM_OPERATOR, 1, nullptr)) return 2;
  for (int i = 0; i < n; ++i) {
    const int values[2] = {tag, i};
    const std::string text = "peer " + std::to_string(tag) + " record " + std::to_string(i);
    if (!slot.SendMail(TEZ_MSG_STATUS, 2, values, text.c_str())) return 3;
  }
  return 0;
}

static int Queue(const char* name, int n) {
  CMappedMail queue("");
  queue.SetMailbox(TEZ_MAIL_MEDIA, name);
  for (int i = 0; i < n; ++i) {
    const std::string text = "queued " + std::to_string(i);
    if (queue.SendMail(TEZ_MSG_STATUS, i, text.c_str(), 0, nullptr) != 1) return 3;
  }
  return 0;
}

int main(int argc, char** argv) {
  if (argc >= 5 && strcmp(argv[1], "serve") == 0)
    return Serve(argv[2], static_cast<size_t>(atoi(argv[3])), argv[4]);
  if (argc >= 5 && strcmp(argv[1], "send") == 0)
    return Send(argv[2], atoi(argv[3]), atoi(argv[4]), HasFlag(argc, argv, 5, "mapped"),
                HasFlag(argc, argv, 5, "noslot"));
  if (argc >= 4 && strcmp(argv[1], "queue") == 0) return Queue(argv[2], atoi(argv[3]));
  fprintf(stderr, "usage: MailPeer serve|send|queue ...\n");
  return 64;
}
