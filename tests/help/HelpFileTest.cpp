// help.chm as the build compiled it, read through its own directory: every topic page is in it,
// and it names its contents tree, index and first page and defines its window. The pages are
// stored compressed, so topics are known by their file names, which the directory lists plainly.
#include <gtest/gtest.h>

#include <cstdint>
#include <fstream>
#include <iterator>
#include <map>
#include <stdexcept>
#include <string>

namespace {

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw std::runtime_error("cannot open " + path);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// A cursor over part of the file. Every read is bounds-checked, so a damaged file fails the test
// instead of reading past its end.
class Cursor {
 public:
  Cursor(const std::string& data, std::uint64_t at, std::uint64_t end)
      : data_(data), at_(at), end_(end) {
    if (at > end || end > data.size()) throw std::runtime_error("block outside the file");
  }

  std::uint64_t At() const { return at_; }
  bool AtEnd() const { return at_ >= end_; }

  void Expect(const std::string& signature) {
    if (Text(signature.size()) != signature) throw std::runtime_error("no " + signature + " header");
  }
  void Skip(std::uint64_t n) { Take(n); }
  std::string Text(std::uint64_t n) { return data_.substr(Take(n), n); }

  std::uint64_t Number(int bytes) {  // little-endian
    const std::uint64_t from = Take(bytes);
    std::uint64_t value = 0;
    for (int i = bytes - 1; i >= 0; --i) value = value << 8 | static_cast<unsigned char>(data_[from + i]);
    return value;
  }

  // The directory's variable-length number: 7 bits a byte, most significant first, the top bit
  // set on every byte but the last.
  std::uint64_t EncodedNumber() {
    std::uint64_t value = 0;
    for (int i = 0; i < 9; ++i) {
      const auto byte = static_cast<unsigned char>(data_[Take(1)]);
      value = value << 7 | (byte & 0x7F);
      if ((byte & 0x80) == 0) return value;
    }
    throw std::runtime_error("number too long");
  }

 private:
  std::uint64_t Take(std::uint64_t n) {
    if (n > end_ - at_) throw std::runtime_error("read past the end of a block");
    const std::uint64_t from = at_;
    at_ += n;
    return from;
  }

  const std::string& data_;
  std::uint64_t at_;
  std::uint64_t end_;
};

struct Entry {
  std::uint64_t section;
  std::uint64_t offset;
  std::uint64_t length;
};

// The archive's directory (ITSF header, ITSP directory header, PMGL listing chunks) and the
// uncompressed section, which holds the system file.
struct HelpFile {
  std::string data;
  std::map<std::string, Entry> files;
  std::uint64_t uncompressedStart = 0;

  explicit HelpFile(const std::string& path) : data(ReadFile(path)) {
    Cursor header(data, 0, data.size());
    header.Expect("ITSF");
    const std::uint64_t version = header.Number(4);
    header.Skip(0x48 - 8);
    const std::uint64_t directory = header.Number(8);
    const std::uint64_t directoryLength = header.Number(8);
    uncompressedStart = version >= 3 ? header.Number(8) : directory + directoryLength;

    Cursor itsp(data, directory, directory + directoryLength);
    itsp.Expect("ITSP");
    itsp.Skip(4);
    const std::uint64_t headerLength = itsp.Number(4);
    itsp.Skip(4);
    const std::uint64_t chunkSize = itsp.Number(4);
    itsp.Skip(0x20 - 0x14);
    auto chunk = static_cast<std::int32_t>(itsp.Number(4));
    itsp.Skip(4 + 4);
    const std::uint64_t chunks = itsp.Number(4);

    // The listing chunks are chained; the count bounds the walk in case the chain loops.
    for (std::uint64_t walked = 0; chunk != -1; ++walked) {
      if (chunk < 0 || static_cast<std::uint64_t>(chunk) >= chunks || walked == chunks) {
        throw std::runtime_error("broken chain of listing chunks");
      }
      const std::uint64_t start = directory + headerLength + chunk * chunkSize;
      Cursor pmgl(data, start, start + chunkSize);
      pmgl.Expect("PMGL");
      const std::uint64_t freeSpace = pmgl.Number(4);
      pmgl.Skip(4 + 4);
      chunk = static_cast<std::int32_t>(pmgl.Number(4));
      if (freeSpace > start + chunkSize - pmgl.At()) throw std::runtime_error("bad free space");
      Cursor entries(data, pmgl.At(), start + chunkSize - freeSpace);
      while (!entries.AtEnd()) {
        std::string name = entries.Text(entries.EncodedNumber());
        Entry entry{};
        entry.section = entries.EncodedNumber();
        entry.offset = entries.EncodedNumber();
        entry.length = entries.EncodedNumber();
        files[name] = entry;
      }
    }
  }

  // The system file's records that hold names: 0 contents, 1 index, 2 first page, 3 title.
  std::map<int, std::string> SystemRecords() const {
    const Entry& system = files.at("/#SYSTEM");
    if (system.section != 0) throw std::runtime_error("#SYSTEM is not stored uncompressed");
    const std::uint64_t start = uncompressedStart + system.offset;
    Cursor records(data, start, start + system.length);
    records.Skip(4);  // version
    std::map<int, std::string> result;
    while (!records.AtEnd()) {
      const auto code = static_cast<int>(records.Number(2));
      std::string text = records.Text(records.Number(2));
      result[code] = text.substr(0, text.find('\0'));
    }
    return result;
  }
};

// Every topic the help must cover, by its page.
struct Topic {
  const char* page;
  const char* about;
};
constexpr Topic kTopics[] = {
    {"overview.htm", "what the program does"},
    {"mainwindow.htm", "the main window, its presets, buttons, log and menus"},
    {"content.htm", "the content kinds"},
    {"videos.htm", "inline videos"},
    {"animations.htm", "animated GIFs"},
    {"sounds.htm", "background sounds"},
    {"flash.htm", "Shockwave and Flash"},
    {"java.htm", "Java applets"},
    {"monitoring.htm", "monitoring"},
    {"tray.htm", "the tray icon"},
    {"options.htm", "every option"},
    {"commandline.htm", "the command line for installers"},
    {"demo.htm", "the demonstration window"},
    {"settings.htm", "where the settings are kept"},
    {"removing.htm", "how to remove them"},
};

const HelpFile& Help() {
  static const HelpFile help(TARNWICK_HELP_FILE);
  return help;
}

TEST(HelpFile, ListsEveryTopicPage) {
  for (const Topic& topic : kTopics) {
    SCOPED_TRACE(std::string(topic.page) + ", " + topic.about);
    const auto found = Help().files.find(std::string("/") + topic.page);
    ASSERT_NE(found, Help().files.end()) << "not in help.chm";
    EXPECT_GT(found->second.length, 0u);
  }
}

TEST(HelpFile, NamesItsContentsIndexFirstPageAndWindow) {
  const auto records = Help().SystemRecords();
  const std::map<int, std::string> expected = {
      {0, "help.hhc"}, {1, "help.hhk"}, {2, "overview.htm"}, {3, "Tarnwick Help"}};
  for (const auto& [code, text] : expected) {
    SCOPED_TRACE(code);
    ASSERT_EQ(records.count(code), 1u);
    EXPECT_EQ(records.at(code), text);
    if (code < 3) {
      EXPECT_EQ(Help().files.count("/" + text), 1u) << text << " is not in help.chm";
    }
  }
  // The window definition gives the viewer its Contents, Index and Search tabs; the search tab
  // needs the full-text index.
  for (const char* file : {"/#WINDOWS", "/$FIftiMain"}) {
    EXPECT_EQ(Help().files.count(file), 1u) << file << " is not in help.chm";
  }
}

// The contents tree is stored compressed; its source must lead to every topic.
TEST(HelpFile, ContentsTreeLeadsToEveryTopic) {
  const std::string contents = ReadFile(TARNWICK_HELP_SOURCES "/help.hhc");
  for (const Topic& topic : kTopics) {
    EXPECT_NE(contents.find(std::string("\"Local\" value=\"") + topic.page + "\""),
              std::string::npos)
        << topic.page << " is not in the contents tree";
  }
}

}  // namespace
