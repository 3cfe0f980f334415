#include <zcodec/streams.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>

#include "test_env.h"

namespace {

using encdec::FileStream;
using encdec::MemoryStream;
using encdec::Stream;
using encdec::StreamError;

std::string readAll(Stream& s) {
    s.rewind();
    std::string out(std::size_t(s.size()), '\0');
    s.readExactly(out.data(), out.size());
    return out;
}

// The same behaviour is expected from every stream kind.
struct StreamKind {
    const char* name;
    std::function<std::unique_ptr<Stream>(const testenv::TempDir&)> make;
};

void PrintTo(const StreamKind& k, std::ostream* os) { *os << k.name; }

class StreamContract : public ::testing::TestWithParam<StreamKind> {
protected:
    testenv::TempDir dir;
    std::unique_ptr<Stream> s = GetParam().make(dir);
};

TEST_P(StreamContract, WritesReadsAndSeeks) {
    EXPECT_EQ(s->size(), 0);
    s->write("hello world", 11);
    EXPECT_EQ(s->position(), 11);
    EXPECT_EQ(s->size(), 11);

    s->seek(6);
    char buf[16] = {};
    EXPECT_EQ(s->read(buf, sizeof buf), 5u);
    EXPECT_EQ(std::string(buf, 5), "world");
    EXPECT_EQ(s->read(buf, sizeof buf), 0u) << "read at the end gives nothing";

    s->seek(0);
    s->write("HELLO", 5);  // overwrite in the middle keeps the rest
    EXPECT_EQ(readAll(*s), "HELLO world");

    s->seek(13);  // writing past the end fills the gap with zeros
    s->write("!", 1);
    EXPECT_EQ(readAll(*s), std::string("HELLO world\0\0!", 14));
    EXPECT_THROW(s->seek(-1), StreamError);
}

TEST_P(StreamContract, SetSizeCutsOrExtendsAndClampsThePosition) {
    s->write("0123456789", 10);
    s->seek(4);
    s->setSize(8);
    EXPECT_EQ(s->position(), 4) << "a position inside the new size is kept";
    EXPECT_EQ(readAll(*s), "01234567");

    s->seek(8);
    s->setSize(3);
    EXPECT_EQ(s->position(), 3) << "a position beyond the new end moves to it";
    s->setSize(5);
    EXPECT_EQ(readAll(*s), std::string("012\0\0", 5));
    s->setSize(0);
    EXPECT_EQ(s->size(), 0);
    EXPECT_EQ(s->position(), 0);
}

TEST_P(StreamContract, ReadExactlyRaisesOnAShortStream) {
    s->write("abc", 3);
    s->rewind();
    char buf[4];
    EXPECT_THROW(s->readExactly(buf, 4), StreamError);
    s->rewind();
    EXPECT_NO_THROW(s->readExactly(buf, 3));
}

TEST_P(StreamContract, CopyFromTakesTheRestOrAnExactCount) {
    std::string big(700000, '\0');
    for (std::size_t i = 0; i < big.size(); ++i) big[i] = char(i * 7 + i / 251);
    MemoryStream src(std::vector<std::uint8_t>(big.begin(), big.end()));

    src.seek(100);
    EXPECT_EQ(s->copyFrom(src), std::int64_t(big.size() - 100));
    EXPECT_EQ(readAll(*s), big.substr(100));

    s->setSize(0);
    src.seek(5);
    EXPECT_EQ(s->copyFrom(src, 300001), 300001);
    EXPECT_EQ(src.position(), 300006);
    EXPECT_EQ(readAll(*s), big.substr(5, 300001));

    src.seek(std::int64_t(big.size()) - 10);
    EXPECT_THROW(s->copyFrom(src, 11), StreamError) << "a source shorter than the count is an error";
}

INSTANTIATE_TEST_SUITE_P(
    Kinds, StreamContract,
    ::testing::Values(
        StreamKind{"memory", [](const testenv::TempDir&) { return std::make_unique<MemoryStream>(); }},
        StreamKind{"file",
                   [](const testenv::TempDir& d) {
                       return std::make_unique<FileStream>(d.file("s.bin"), FileStream::Mode::Create);
                   }}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(FileStream, ModesTreatAnExistingFileAsTheyShould) {
    testenv::TempDir dir;
    const auto path = dir.file("f");
    testenv::writeFile(path, "existing");
    {
        FileStream rw(path, FileStream::Mode::ReadWrite);
        EXPECT_EQ(rw.size(), 8) << "ReadWrite keeps the content";
        rw.seek(8);
        rw.write("+", 1);
    }
    EXPECT_EQ(testenv::readFile(path), "existing+");
    {
        FileStream r(path, FileStream::Mode::Read);
        EXPECT_EQ(readAll(r), "existing+");
        EXPECT_THROW(r.write("x", 1), StreamError) << "a read-only stream refuses writes";
        EXPECT_THROW(r.setSize(0), StreamError);
    }
    {
        FileStream c(path, FileStream::Mode::Create);
        EXPECT_EQ(c.size(), 0) << "Create truncates";
    }
    EXPECT_EQ(testenv::readFile(path), "");
}

TEST(FileStream, OpenFailuresCarryTheSystemText) {
    testenv::TempDir dir;
    struct Case {
        std::string path;
        FileStream::Mode mode;
        const char* text;
    } cases[] = {
        {dir.file("missing"), FileStream::Mode::Read, "No such file or directory"},
        {dir.file("missing"), FileStream::Mode::ReadWrite, "No such file or directory"},
        {dir.file("no/such/dir/f"), FileStream::Mode::Create, "No such file or directory"},
        {dir.path(), FileStream::Mode::Read, "Is a directory"},
    };
    for (const auto& c : cases) {
        try {
            FileStream f(c.path, c.mode);
            ADD_FAILURE() << c.path << " opened";
        } catch (const StreamError& e) {
            EXPECT_THAT(e.what(), ::testing::HasSubstr(c.text)) << c.path;
            EXPECT_THAT(e.what(), ::testing::HasSubstr(c.path));
        }
    }
}

}  // namespace
