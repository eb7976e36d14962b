// Decodes one Layer I or Layer II frame that the reader holds into the
// synthesis filters and the sink.
#pragma once

#include "FrameHeader.h"
#include "FrameReader.h"
#include "PcmSink.h"
#include "SynthesisFilterBank.h"

// `filter1` is null for one output channel. Returns false, with no output,
// when the frame's check word does not match.
bool DecodeLayer12Frame(FrameReader& reader, FrameHeader& header, int choice,
                        SynthesisFilterBank& filter0, SynthesisFilterBank* filter1,
                        PcmSink& sink);
