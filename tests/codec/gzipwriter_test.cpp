#include <zcodec/gzipwriter.h>

#include <gtest/gtest.h>
#include <zlib.h>

#include <algorithm>
#include <stdexcept>
#include <string>
#include <vector>

#include "sample_jobs.h"
#include "test_env.h"

namespace {

using encdec::GzipWriter;

// Writes the input in pieces of the given sizes, taken in turn.
std::string pack(const std::string& input, std::size_t blockSize, const std::vector<std::size_t>& pieces) {
    std::string out;
    auto append = [&](const std::uint8_t* data, std::size_t size) {
        out.append(reinterpret_cast<const char*>(data), size);
    };
    GzipWriter writer(append, blockSize);
    for (std::size_t at = 0, i = 0; at < input.size(); ++i) {
        const std::size_t n = std::min(pieces[i % pieces.size()], input.size() - at);
        writer.write(input.data() + at, n);
        at += n;
    }
    writer.finish();
    return out;
}

// The client's own reader: zlib's gzip file functions, on a file.
std::string readWithGzread(const std::string& gz, const std::string& path) {
    testenv::writeFile(path, gz);
    gzFile file = gzopen(path.c_str(), "rb");
    EXPECT_NE(file, nullptr);
    if (!file) return {};
    std::string out;
    char buffer[65536];
    int n;
    while ((n = gzread(file, buffer, sizeof buffer)) > 0) out.append(buffer, std::size_t(n));
    EXPECT_EQ(n, 0) << "gzread failed";
    EXPECT_EQ(gzclose(file), Z_OK);
    return out;
}

std::string readWith(const std::vector<std::string>& argv, const std::string& gz) {
    const auto r = testenv::run(argv, gz);
    EXPECT_EQ(r.exitCode, 0) << argv[0] << ": " << r.err;
    return r.out;
}

// How many gzip members the data holds, each checked on its own.
int membersOf(const std::string& gz) {
    z_stream z{};
    EXPECT_EQ(inflateInit2(&z, 15 + 16), Z_OK);
    z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(gz.data()));
    z.avail_in = uInt(gz.size());
    int members = 0;
    std::vector<Bytef> sink(65536);
    while (z.avail_in > 0) {
        z.next_out = sink.data();
        z.avail_out = uInt(sink.size());
        const int rc = inflate(&z, Z_NO_FLUSH);
        if (rc == Z_STREAM_END) {
            ++members;
            inflateReset(&z);
        } else if (rc != Z_OK) {
            ADD_FAILURE() << "not gzip: " << rc;
            break;
        }
    }
    inflateEnd(&z);
    return members;
}

TEST(GzipWriter, EveryReaderGetsTheInputBack) {
    constexpr std::size_t kSmall = 64 * 1024;
    constexpr std::size_t kDefault = GzipWriter::kDefaultBlockSize;
    const struct Case {
        const char* name;
        std::size_t size, blockSize;
        int members;
    } cases[] = {
        {"empty", 0, kSmall, 1},
        {"tiny", 37, kSmall, 1},
        {"one block", kSmall, kSmall, 1},
        {"one block and a byte", kSmall + 1, kSmall, 2},
        {"many blocks", kSmall * 9 + 555, kSmall, 10},
        {"whole blocks", kSmall * 6, kSmall, 6},
        {"default blocks", kDefault * 2 + kDefault / 2, kDefault, 3},
    };
    testenv::IsolatedMachine machine;
    const std::string python = "import gzip, sys; sys.stdout.buffer.write(gzip.decompress(sys.stdin.buffer.read()))";
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string input = testenv::postScriptOfSize(c.size, unsigned(c.size));
        const std::string gz = pack(input, c.blockSize, {c.size + 1});
        EXPECT_EQ(pack(input, c.blockSize, {1, 4093, 7, kSmall - 3}), gz) << "pieces of any size give the same data";
        EXPECT_EQ(membersOf(gz), c.members);
        EXPECT_TRUE(readWithGzread(gz, machine.dir().file("packed.gz")) == input) << "gzread";
        EXPECT_TRUE(readWith({"gzip", "-dc"}, gz) == input) << "gzip -dc";
        EXPECT_TRUE(readWith({"/usr/bin/python3", "-c", python}, gz) == input) << "python gzip";
    }
    EXPECT_LT(pack(testenv::postScriptOfSize(kSmall * 4), kSmall, {kSmall}).size(), kSmall) << "it compresses";
}

TEST(GzipWriter, AFailingSinkStopsTheWriterCleanly) {
    const std::string input = testenv::postScriptOfSize(1 << 20);
    for (int failAt : {0, 3}) {
        SCOPED_TRACE(failAt);
        int calls = 0;
        GzipWriter writer(
            [&](const std::uint8_t*, std::size_t) {
                if (calls++ == failAt) throw std::runtime_error("disk full");
            },
            16 * 1024);
        EXPECT_THROW(
            {
                writer.write(input.data(), input.size());
                writer.finish();
            },
            std::runtime_error);
        EXPECT_EQ(calls, failAt + 1) << "nothing is handed on after the failure";
    }   // destroying the writer joins its workers with blocks still queued
}

}  // namespace
