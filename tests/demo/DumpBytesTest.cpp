// The dump, byte for byte: against a plain formatter written from the rules, over many sizes,
// contents and stop positions, with the pump driven directly by the test.
#include "demo/DumpBytes.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <limits>
#include <optional>
#include <random>
#include <stdexcept>
#include <string>
#include <vector>

#include "tests/support/ReferenceDump.h"

namespace tarnwick::demo {
namespace {

using Bytes = std::vector<std::uint8_t>;
using test::kNoStop;

std::vector<std::string> ReferenceLines(const Bytes& bytes, std::size_t stopAt) {
  return test::ReferenceDumpLines(
      std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()), stopAt);
}

// One dump, with what the sink, the pump and the gauge saw along the way.
struct DumpRun {
  std::vector<std::string> lines;
  std::vector<std::size_t> pumpedWhenHanded;  // pump calls made when each line was handed over
  std::size_t pumps = 0;
  bool gaugeFollowed = true;  // at each pump, the gauge stands at the byte before
  ui::Gauge gauge;
};

// Dumps `bytes` (or `size` bytes of them, when given) with the stop set before byte `stopAt`.
void Dump(DumpRun& run, const Bytes& bytes, std::size_t stopAt,
          std::optional<std::uint32_t> claimedSize = std::nullopt) {
  const std::uint32_t size = claimedSize.value_or(static_cast<std::uint32_t>(bytes.size()));
  bool stop = stopAt == 0;
  const auto sink = [&](std::string_view line) {
    run.lines.emplace_back(line);
    run.pumpedWhenHanded.push_back(run.pumps);
  };
  const std::size_t firstPump = run.pumps;
  const auto pump = [&] {
    const std::size_t byte = run.pumps++ - firstPump;
    if (byte > 0 && run.gauge.Progress() != static_cast<int>(byte - 1)) run.gaugeFollowed = false;
    if (byte + 1 == stopAt) stop = true;
  };
  DumpBytes(bytes.data(), size, sink, run.gauge, stop, pump);
}

Bytes Pattern(std::size_t size, std::uint32_t seed) {
  Bytes bytes(size);
  std::mt19937 random(seed);
  for (auto& b : bytes) b = static_cast<std::uint8_t>(random());
  return bytes;
}

// Checks one dump of `bytes` against the rules: lines, when each is handed over, the pumps and
// the gauge.
void Check(const Bytes& bytes, std::size_t stopAt) {
  SCOPED_TRACE(testing::Message() << "size " << bytes.size() << ", stop at " << stopAt);
  DumpRun run;
  Dump(run, bytes, stopAt);
  const std::vector<std::string> expected = ReferenceLines(bytes, stopAt);
  ASSERT_EQ(expected, run.lines);
  const std::size_t handled = std::min(stopAt, bytes.size());
  EXPECT_EQ(handled, run.pumps);
  // A line goes when the first byte of the next is reached, the last one at the end.
  for (std::size_t n = 0; n + 1 < run.lines.size(); ++n) {
    EXPECT_EQ(26 * (n + 1), run.pumpedWhenHanded[n]) << "line " << n;
  }
  EXPECT_EQ(handled, run.pumpedWhenHanded.back());
  EXPECT_TRUE(run.gaugeFollowed);
  EXPECT_EQ(static_cast<int>(bytes.size() - 1), run.gauge.MaxValue());
  EXPECT_EQ(run.gauge.MaxValue(), run.gauge.Progress());
  EXPECT_EQ(bytes.size() == 1 ? 0 : 100, run.gauge.PercentDone());
}

TEST(DumpBytes, MatchesTheRulesForEverySizeUpToAHundredAndEveryStop) {
  for (std::size_t size = 1; size <= 100; ++size) {
    const Bytes bytes = Pattern(size, static_cast<std::uint32_t>(size));
    for (std::size_t stopAt = 0; stopAt <= size; ++stopAt) Check(bytes, stopAt);
    Check(bytes, kNoStop);
  }
}

TEST(DumpBytes, MatchesTheRulesForWholeLinesAndRandomBlocks) {
  std::mt19937 random(2024);
  std::vector<std::size_t> sizes;
  for (std::size_t lines = 1; lines <= 60; ++lines) sizes.push_back(26 * lines);
  for (int i = 0; i < 40; ++i) sizes.push_back(1 + random() % 20000);
  for (std::size_t size : sizes) {
    const Bytes bytes = Pattern(size, static_cast<std::uint32_t>(random()));
    for (std::size_t stopAt : {std::size_t{0}, std::size_t{1}, std::size_t{26}, std::size_t{27},
                               std::size_t{30}, size / 2, size - 1, size, kNoStop,
                               static_cast<std::size_t>(random() % size)}) {
      Check(bytes, stopAt);
    }
  }
}

TEST(DumpBytes, TheCasesTheRulesSpellOut) {
  Bytes alphabet(60);
  for (std::size_t i = 0; i < alphabet.size(); ++i) alphabet[i] = static_cast<std::uint8_t>('A' + i % 26);
  const std::string spaces26(26, ' ');
  struct Case {
    const char* what;
    Bytes bytes;
    std::size_t stopAt;
    std::vector<std::string> lines;
    std::string gaugeText;
  };
  const std::vector<Case> cases = {
      {"one byte", {'Q'}, kNoStop, {"Q" + spaces26}, "0%"},
      {"26 bytes", Bytes(alphabet.begin(), alphabet.begin() + 26), kNoStop,
       {"ABCDEFGHIJKLMNOPQRSTUVWXYZ "}, "100%"},
      {"27 bytes", Bytes(alphabet.begin(), alphabet.begin() + 27), kNoStop,
       {"ABCDEFGHIJKLMNOPQRSTUVWXYZ ", "A" + spaces26}, "100%"},
      {"52 bytes", Bytes(alphabet.begin(), alphabet.begin() + 52), kNoStop,
       {"ABCDEFGHIJKLMNOPQRSTUVWXYZ ", "ABCDEFGHIJKLMNOPQRSTUVWXYZ "}, "100%"},
      {"stop at byte 30", alphabet, 30,
       {"ABCDEFGHIJKLMNOPQRSTUVWXYZ ", "ABCD" + std::string(23, ' ')}, "100%"},
      {"stop already set", alphabet, 0, {""}, "100%"},
      {"control characters and the rest", {0x00, 0x0A, 0x1F, 0x20, 0x7F, 0x80, 0xFF}, kNoStop,
       {"... \x7F\x80\xFF" + std::string(20, ' ')}, "100%"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    DumpRun run;
    Dump(run, c.bytes, c.stopAt);
    EXPECT_EQ(c.lines, run.lines);
    for (const std::string& line : run.lines) EXPECT_TRUE(line.empty() || line.size() == 27u);
    EXPECT_EQ(c.gaugeText, run.gauge.Text());
  }
}

TEST(DumpBytes, AnEmptyBlockHandsOverNothingAndLeavesTheGaugeAlone) {
  DumpRun run;
  run.gauge.SetProgress(40);
  Dump(run, {}, kNoStop);
  EXPECT_TRUE(run.lines.empty());
  EXPECT_EQ(0u, run.pumps);
  EXPECT_EQ(100, run.gauge.MaxValue());
  EXPECT_EQ(40, run.gauge.Progress());
}

TEST(DumpBytes, SuccessiveCallsStartAfresh) {
  DumpRun run;
  Dump(run, Pattern(40, 1), 30);
  run.lines.clear();
  const Bytes second = Pattern(5, 2);
  Dump(run, second, kNoStop);
  EXPECT_EQ(ReferenceLines(second, kNoStop), run.lines);
  EXPECT_EQ(4, run.gauge.MaxValue());
  EXPECT_EQ(4, run.gauge.Progress());
}

// The gauge counts in int; a block above 2 GiB moves it in steps of 2 bytes and still ends full.
TEST(DumpBytes, BlocksAboveTwoGiBKeepTheGaugeInRange) {
  const Bytes start = Pattern(64, 3);
  struct Case {
    std::uint32_t size;
    int max;
  };
  for (const Case& c : {Case{0x80000000u, 0x7FFFFFFF}, Case{0x80000001u, 0x40000000},
                        Case{0xFFFFFFFFu, 0x7FFFFFFF}}) {
    SCOPED_TRACE(c.size);
    for (std::size_t stopAt : {std::size_t{0}, std::size_t{30}}) {
      DumpRun run;
      Dump(run, start, stopAt, c.size);  // the stop comes before the bytes the test lacks
      EXPECT_EQ(ReferenceLines(start, stopAt), run.lines);
      EXPECT_EQ(c.max, run.gauge.MaxValue());
      EXPECT_EQ(c.max, run.gauge.Progress());
    }
  }
}

TEST(DumpBytes, AnErrorInTheSinkEndsTheDumpAndReachesTheCaller) {
  const Bytes bytes = Pattern(100, 4);
  ui::Gauge gauge;
  bool stop = false;
  std::size_t pumps = 0;
  int handed = 0;
  const auto sink = [&](std::string_view) {
    if (++handed == 2) throw std::runtime_error("sink failed");
  };
  EXPECT_THROW(DumpBytes(bytes.data(), 100, sink, gauge, stop, [&] { ++pumps; }),
               std::runtime_error);
  EXPECT_EQ(52u, pumps);  // the second line went at byte 52, and nothing after it
}

}  // namespace
}  // namespace tarnwick::demo
