#include "HuffmanTables.h"

#include "BitReservoir.h"

#include <cstddef>

namespace {

const uint32_t kLinkBit = 0x80000000u;
const int kMaxLevelBits = 8;

struct TreeNode {
  int child[2] = {-1, -1};
  int value = -1;  // >= 0 at a leaf
};

// Binary tree of a table's codes; false when two codes collide.
bool BuildTree(const HuffmanCodeTable& t, std::vector<TreeNode>& tree) {
  tree.assign(1, TreeNode());
  int count = t.size * t.size;
  for (int i = 0; i < count; ++i) {
    int len = t.lengths[i];
    int node = 0;
    for (int b = len - 1; b >= 0; --b) {
      if (tree[node].value >= 0) return false;
      int bit = (t.codes[i] >> b) & 1;
      if (tree[node].child[bit] < 0) {
        tree[node].child[bit] = static_cast<int>(tree.size());
        tree.emplace_back();
      }
      node = tree[node].child[bit];
    }
    if (tree[node].value >= 0 || tree[node].child[0] >= 0 ||
        tree[node].child[1] >= 0)
      return false;
    int x = i / t.size, y = i % t.size;
    tree[node].value = x * 16 + y;
  }
  return true;
}

int Depth(const std::vector<TreeNode>& tree, int node) {
  if (node < 0 || tree[node].value >= 0) return 0;
  int a = Depth(tree, tree[node].child[0]);
  int b = Depth(tree, tree[node].child[1]);
  return 1 + (a > b ? a : b);
}

// Lays out the level for the subtree at `node`; returns its offset.
int Flatten(const std::vector<TreeNode>& tree, int node,
            std::vector<uint32_t>& out) {
  int depth = Depth(tree, node);
  int bits = depth < kMaxLevelBits ? depth : kMaxLevelBits;
  int offset = static_cast<int>(out.size());
  out.resize(out.size() + (std::size_t(1) << bits), 0);
  for (int idx = 0; idx < (1 << bits); ++idx) {
    int n = node, used = 0;
    while (n >= 0 && tree[n].value < 0 && used < bits) {
      n = tree[n].child[(idx >> (bits - 1 - used)) & 1];
      ++used;
    }
    if (n < 0) continue;  // no code starts this way
    uint32_t e;
    if (tree[n].value >= 0) {
      e = uint32_t(tree[n].value) | (uint32_t(used) << 8);
    } else {
      int sub = Flatten(tree, n, out);
      int subDepth = Depth(tree, n);
      int subBits = subDepth < kMaxLevelBits ? subDepth : kMaxLevelBits;
      e = kLinkBit | uint32_t(sub) | (uint32_t(subBits) << 24);
    }
    out[offset + idx] = e;
  }
  return offset;
}

}  // namespace

const HuffmanLookup& HuffmanLookup::Get() {
  static const HuffmanLookup lookup;
  return lookup;
}

HuffmanLookup::HuffmanLookup() {
  for (int t = 0; t < 34; ++t) {
    const HuffmanCodeTable& table = kHuffmanCodeTables[t];
    if (!table.codes) continue;
    std::vector<TreeNode> tree;
    if (!BuildTree(table, tree)) continue;
    int depth = Depth(tree, 0);
    firstBits_[t] = depth < kMaxLevelBits ? depth : kMaxLevelBits;
    Flatten(tree, 0, levels_[t]);
  }
}
