#include <zcodec/cipher.h>
#include <zcodec/gzipwriter.h>
#include <zcodec/pipeline.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <sys/inotify.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "sample_jobs.h"
#include "test_env.h"

namespace {

namespace fs = std::filesystem;
using namespace encdec;

MemoryStream memoryOf(const std::string& s) { return MemoryStream(std::vector<std::uint8_t>(s.begin(), s.end())); }

std::string contentOf(Stream& s) {
    s.rewind();
    std::string out(std::size_t(s.size()), '\0');
    s.readExactly(out.data(), out.size());
    return out;
}

std::optional<std::string> decipher(const std::string& block) {
    MemoryStream in = memoryOf(block), out;
    if (!DecUncmpThread::DecryptStream(&in, &out)) return std::nullopt;
    return contentOf(out);
}

std::string gunzipWithTheProgram(const std::string& gz) {
    const auto r = testenv::run({"gzip", "-dc"}, gz);
    EXPECT_EQ(r.exitCode, 0) << r.err;
    return r.out;
}

std::string gzipWithTheProgram(const std::string& data) {
    const auto r = testenv::run({"gzip", "-9", "-c"}, data);
    EXPECT_EQ(r.exitCode, 0) << r.err;
    return r.out;
}

std::vector<std::string> filesIn(const std::string& dir) {
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(dir)) names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

// The extensions of the files created in a directory while it lives.
class CreatedFiles {
public:
    explicit CreatedFiles(const std::string& dir) : fd_(inotify_init1(IN_NONBLOCK | IN_CLOEXEC)) {
        if (fd_ < 0 || inotify_add_watch(fd_, dir.c_str(), IN_CREATE) < 0) ADD_FAILURE() << "inotify on " << dir;
    }
    ~CreatedFiles() { close(fd_); }
    std::vector<std::string> extensions() {
        alignas(inotify_event) char buf[8192];
        ssize_t n;
        while ((n = read(fd_, buf, sizeof buf)) > 0) {
            for (char* p = buf; p < buf + n;) {
                auto* e = reinterpret_cast<inotify_event*>(p);
                const std::string name = e->len ? e->name : "";
                seen_.push_back(name.substr(name.rfind('.') + 1));
                p += sizeof(inotify_event) + e->len;
            }
        }
        std::sort(seen_.begin(), seen_.end());
        return seen_;
    }

private:
    int fd_;
    std::vector<std::string> seen_;
};

// How input and output are handed to a conversion.
enum class Form { Files, Streams, FileToStream, StreamToFile, SameStream, SameFileStream, SameFile };

const char* formName(Form f) {
    switch (f) {
    case Form::Files: return "Files";
    case Form::Streams: return "Streams";
    case Form::FileToStream: return "FileToStream";
    case Form::StreamToFile: return "StreamToFile";
    case Form::SameStream: return "SameStream";
    case Form::SameFileStream: return "SameFileStream";
    case Form::SameFile: return "SameFile";
    }
    return "?";
}

constexpr std::array kForms = {Form::Files,      Form::Streams,        Form::FileToStream, Form::StreamToFile,
                               Form::SameStream, Form::SameFileStream, Form::SameFile};

struct Outcome {
    bool ok = false;
    std::int64_t size = 0;
    std::string output;   // the whole output file or stream
    std::string error;
    std::string result() const { return output.substr(0, std::size_t(size)); }
};

// Runs one conversion in a work directory; the output file, if any, is
// "out.bin" and exists beforehand only when the test put it there.
template <class Worker>
Outcome convert(TransportType type, Form form, const std::string& input, const std::string& workDir) {
    const std::string in = workDir + "/in.bin", out = workDir + "/out.bin";
    testenv::writeFile(in, input);
    MemoryStream inMem = memoryOf(input), outMem;
    std::unique_ptr<Worker> w;
    std::unique_ptr<FileStream> shared;
    switch (form) {
    case Form::Files: w = std::make_unique<Worker>(false, type, in, out); break;
    case Form::Streams: w = std::make_unique<Worker>(false, type, &inMem, &outMem); break;
    case Form::FileToStream: w = std::make_unique<Worker>(false, type, in, &outMem); break;
    case Form::StreamToFile: w = std::make_unique<Worker>(false, type, &inMem, out); break;
    case Form::SameStream: w = std::make_unique<Worker>(false, type, &inMem, &inMem); break;
    case Form::SameFileStream:
        shared = std::make_unique<FileStream>(in, FileStream::Mode::ReadWrite);
        shared->seek(shared->size());   // the thread must rewind it
        w = std::make_unique<Worker>(false, type, shared.get(), shared.get());
        break;
    case Form::SameFile: w = std::make_unique<Worker>(false, type, in, in); break;
    }
    w->WaitFor();
    Outcome o{w->IsSuccessful(), w->GetOutputSize(), {}, w->GetErrorText()};
    EXPECT_TRUE(w->IsFinished());
    EXPECT_EQ(o.error.empty(), o.ok) << o.error;
    switch (form) {
    case Form::Files:
    case Form::StreamToFile:
        if (fs::exists(out)) o.output = testenv::readFile(out);
        break;
    case Form::Streams:
    case Form::FileToStream: o.output = contentOf(outMem); break;
    case Form::SameStream: o.output = contentOf(inMem); break;
    case Form::SameFileStream: o.output = contentOf(*shared); break;
    case Form::SameFile: o.output = testenv::readFile(in); break;
    }
    return o;
}

class PipelineTest : public ::testing::Test {
protected:
    PipelineTest() { fs::create_directories(work); }

    // Nothing of a conversion may stay behind: no temporary files, no
    // half-written outputs beside the real ones.
    void expectNoLeftovers() {
        EXPECT_THAT(filesIn(tmpDir), ::testing::IsEmpty());
        for (const auto& name : filesIn(work)) EXPECT_THAT(name, ::testing::Not(::testing::EndsWith(".part")));
    }
    void clearWork() {
        fs::remove_all(work);
        fs::create_directories(work);
    }

    testenv::IsolatedMachine machine;
    std::string tmpDir = std::getenv("TMPDIR");
    std::string work = machine.dir().file("work");
};

// ---- Round trips over every type and form ---------------------------------

struct RoundTripCase {
    TransportType type;
    Form packForm;
};

void PrintTo(const RoundTripCase& c, std::ostream* os) {
    *os << "type " << int(c.type) << ", " << formName(c.packForm);
}

class RoundTrip : public PipelineTest, public ::testing::WithParamInterface<RoundTripCase> {};

TEST_P(RoundTrip, PacksToTheWireFormAndUnpacksBack) {
    const auto [type, packForm] = GetParam();
    // Unpack with another form than the pack, so forms meet in mixed pairs.
    const Form unpackForm = kForms[(std::size_t(packForm) + 3) % kForms.size()];
    // Around the in-memory limit, and whole blocks of 2048 (an empty final block).
    for (std::size_t size : {0, 1, 2048 * 3, 300000, 300001, 2048 * 147}) {
        SCOPED_TRACE("size " + std::to_string(size));
        const std::string input = testenv::postScriptOfSize(size, unsigned(size));
        clearWork();
        const Outcome packed = convert<EncCmpThread>(type, packForm, input, work);
        ASSERT_TRUE(packed.ok) << packed.error;
        expectNoLeftovers();
        if (packForm == Form::SameStream || packForm == Form::SameFileStream)
            EXPECT_GE(std::int64_t(packed.output.size()), packed.size) << "the result leads the stream";
        else
            EXPECT_EQ(std::int64_t(packed.output.size()), packed.size);
        const std::string wire = packed.result();

        switch (type) {
        case ttNone:
        case ttDecompressOnly: EXPECT_EQ(wire, input) << "sent as it is"; break;
        case ttEncrypt:
        case ttEncryptDecompress:
            ASSERT_EQ(wire.size(), size + 258);
            EXPECT_EQ(wire.front(), 1);
            EXPECT_EQ(wire.back(), 0);
            EXPECT_EQ(decipher(wire), input);
            break;
        case ttCompress:
            ASSERT_GE(wire.size(), 18u);
            EXPECT_EQ(wire.substr(0, 2), "\x1f\x8b");
            EXPECT_EQ(wire[8], 2) << "the header marks the strongest compression";
            EXPECT_EQ(gunzipWithTheProgram(wire), input);
            break;
        case ttCompressEncrypt: {
            // A gzip file enciphered with a 256-byte key: 258 bytes more than type 2 makes.
            clearWork();
            const Outcome gz = convert<EncCmpThread>(ttCompress, Form::Streams, input, work);
            ASSERT_TRUE(gz.ok);
            EXPECT_EQ(wire.size(), gz.result().size() + 258);
            EXPECT_EQ(decipher(wire), gz.result());
            break;
        }
        }

        clearWork();
        const Outcome unpacked = convert<DecUncmpThread>(type, unpackForm, wire, work);
        ASSERT_TRUE(unpacked.ok) << unpacked.error;
        EXPECT_EQ(unpacked.size, std::int64_t(size));
        EXPECT_TRUE(unpacked.result() == input) << "round trip through " << formName(unpackForm);
        expectNoLeftovers();
    }
}

std::vector<RoundTripCase> allRoundTrips() {
    std::vector<RoundTripCase> cases;
    for (int t = 0; t <= 5; ++t)
        for (Form f : kForms) cases.push_back({TransportType(t), f});
    return cases;
}

INSTANTIATE_TEST_SUITE_P(TypesAndForms, RoundTrip, ::testing::ValuesIn(allRoundTrips()), [](const auto& info) {
    return "Type" + std::to_string(int(info.param.type)) + "_" + formName(info.param.packForm);
});

// ---- Particular behaviours ------------------------------------------------

TEST_F(PipelineTest, TypeZeroOnTheSameStreamOrFileLeavesItAlone) {
    const std::string input = testenv::postScriptOfSize(5000);
    for (Form form : {Form::SameStream, Form::SameFileStream, Form::SameFile}) {
        SCOPED_TRACE(formName(form));
        for (bool unpack : {false, true}) {
            const Outcome o = unpack ? convert<DecUncmpThread>(ttNone, form, input, work)
                                     : convert<EncCmpThread>(ttNone, form, input, work);
            EXPECT_TRUE(o.ok);
            EXPECT_EQ(o.size, 5000);
            EXPECT_EQ(o.output, input);
        }
    }
    expectNoLeftovers();
}

TEST_F(PipelineTest, SameStreamKeepsItsLengthWhenTheResultIsShorter) {
    const std::string input = testenv::postScriptOfSize(1000);
    const Outcome enc = convert<EncCmpThread>(ttEncrypt, Form::Streams, input, work);
    ASSERT_TRUE(enc.ok);
    const Outcome dec = convert<DecUncmpThread>(ttEncrypt, Form::SameStream, enc.output, work);
    ASSERT_TRUE(dec.ok);
    EXPECT_EQ(dec.size, 1000);
    EXPECT_EQ(dec.output.size(), 1258u) << "the stream is not shortened";
    EXPECT_EQ(dec.result(), input);
}

TEST_F(PipelineTest, NonGzipDataPassesThroughDecompression) {
    const std::string plain = testenv::postScriptOfSize(70000);
    for (TransportType type : {ttCompress, ttDecompressOnly}) {
        const Outcome o = convert<DecUncmpThread>(type, Form::Streams, plain, work);
        ASSERT_TRUE(o.ok) << o.error;
        EXPECT_EQ(o.output, plain);
        EXPECT_EQ(o.size, 70000);
    }
    expectNoLeftovers();
}

TEST_F(PipelineTest, TypeFourUnpackDecompressesWithoutDeciphering) {
    const std::string input = testenv::postScriptOfSize(123456);
    const Outcome o = convert<DecUncmpThread>(ttDecompressOnly, Form::Files, gzipWithTheProgram(input), work);
    ASSERT_TRUE(o.ok) << o.error;
    EXPECT_TRUE(o.output == input);
}

TEST_F(PipelineTest, CipherTargetIsMemoryUpToTheLimitAndATempFileBeyond) {
    struct Case {
        bool unpack;
        TransportType type;
        std::size_t size;
        std::vector<std::string> created;
    } cases[] = {
        {false, ttEncrypt, 300000, {}},
        {false, ttEncrypt, 300001, {"enc"}},
        {true, ttEncrypt, 300000, {}},
        {true, ttEncrypt, 300001, {"dec"}},
        {false, ttCompress, 1000, {"gz"}},
        {false, ttCompressEncrypt, 1000, {"gz"}},
        {true, ttDecompressOnly, 1000, {"gz"}},
        {false, ttDecompressOnly, 1000, {}},
        {true, ttNone, 400000, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE((c.unpack ? "unpack type " : "pack type ") + std::to_string(int(c.type)) + " of " +
                     std::to_string(c.size));
        std::string input = testenv::postScriptOfSize(c.size);
        if (c.unpack && c.type == ttEncrypt) input[0] = 1, input.back() = 0;   // a block with a 256-byte key
        CreatedFiles created(tmpDir);
        const Outcome o = c.unpack ? convert<DecUncmpThread>(c.type, Form::Streams, input, work)
                                   : convert<EncCmpThread>(c.type, Form::Streams, input, work);
        EXPECT_TRUE(o.ok) << o.error;
        EXPECT_EQ(created.extensions(), c.created);
        expectNoLeftovers();
    }
}

TEST_F(PipelineTest, FileOutputReplacesItsTargetKeepingModeAndLink) {
    const std::string input = testenv::postScriptOfSize(40000);
    const std::string in = work + "/in.bin";
    // In place: the file becomes its packed form and keeps its permissions.
    testenv::writeFile(in, input);
    ASSERT_EQ(chmod(in.c_str(), 0640), 0);
    {
        EncCmpThread t(false, ttCompressEncrypt, in, in);
        t.WaitFor();
        ASSERT_TRUE(t.IsSuccessful()) << t.GetErrorText();
        EXPECT_EQ(std::int64_t(fs::file_size(in)), t.GetOutputSize());
    }
    struct stat st {};
    ASSERT_EQ(stat(in.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0640u);
    {
        DecUncmpThread t(false, ttCompressEncrypt, in, in);
        t.WaitFor();
        ASSERT_TRUE(t.IsSuccessful()) << t.GetErrorText();
    }
    EXPECT_TRUE(testenv::readFile(in) == input);

    // Through a symbolic link: the link stays, the file it names is replaced.
    const std::string real = work + "/real.bin", link = work + "/link.bin";
    testenv::writeFile(real, "old");
    fs::create_symlink(real, link);
    EncCmpThread t(false, ttNone, in, link);
    t.WaitFor();
    ASSERT_TRUE(t.IsSuccessful()) << t.GetErrorText();
    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_TRUE(testenv::readFile(real) == input);
    expectNoLeftovers();
}

// Job files: no link is followed on either side, pipes are refused before
// they could block, and the input is read no further than its size at arrival.
TEST_F(PipelineTest, JobFileRulesFollowNoLinkAndReadNoMoreThanTheJobHad) {
    const std::string input = testenv::postScriptOfSize(40000);
    const std::string data = work + "/ztp_1.ztp", packed = work + "/ztp_1.gz", victim = work + "/victim";
    testenv::writeFile(data, input);
    testenv::writeFile(victim, "precious");
    auto pack = [&](const std::string& in, std::int64_t limit) {
        EncCmpThread t(true, ttCompress, in, packed);
        t.SetJobFileRules(limit);
        t.resume();
        t.WaitFor();
        return t.IsSuccessful();
    };

    // The packed name is a link: the link itself is replaced.
    fs::create_symlink(victim, packed);
    ASSERT_TRUE(pack(data, std::int64_t(input.size())));
    EXPECT_FALSE(fs::is_symlink(packed));
    EXPECT_EQ(testenv::readFile(victim), "precious");
    EXPECT_TRUE(gunzipWithTheProgram(testenv::readFile(packed)) == input);
    struct stat st {};
    ASSERT_EQ(stat(packed.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 077, 0u) << "readable by others";

    // Data that grew after its job arrived: only what it had is packed.
    ASSERT_TRUE(pack(data, 1000));
    EXPECT_TRUE(gunzipWithTheProgram(testenv::readFile(packed)) == input.substr(0, 1000));

    // Data that is a link, or a pipe nobody writes to, is refused at once.
    const std::string linked = work + "/ztp_2.ztp", pipe = work + "/ztp_3.ztp";
    fs::create_symlink(data, linked);
    ASSERT_EQ(mkfifo(pipe.c_str(), 0600), 0);
    const auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(pack(linked, -1));
    EXPECT_FALSE(pack(pipe, -1));
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
    EXPECT_TRUE(gunzipWithTheProgram(testenv::readFile(packed)) == input.substr(0, 1000)) << "left as it was";
}

// ---- Failures -------------------------------------------------------------

struct BadPayload {
    const char* name;
    TransportType type;
    std::function<std::string()> make;
};

void PrintTo(const BadPayload& p, std::ostream* os) { *os << p.name; }

std::string flipped(std::string s, std::size_t at) {
    s.at(at) ^= 0x55;
    return s;
}

std::string enciphered(const std::string& body) {
    MemoryStream in = memoryOf(body), out;
    EXPECT_TRUE(EncCmpThread::EncryptStream(&in, &out));
    return contentOf(out);
}

const std::string& sampleGzip() {
    static const std::string gz = gzipWithTheProgram(testenv::postScriptOfSize(200000));
    return gz;
}

// The writer's own form: several members, so that damage can sit in a later one.
const std::string& sampleMembers() {
    static const std::string gz = [] {
        const std::string plain = testenv::postScriptOfSize(200000);
        std::string out;
        auto append = [&](const std::uint8_t* data, std::size_t n) {
            out.append(reinterpret_cast<const char*>(data), n);
        };
        GzipWriter writer(append, 32 * 1024);
        writer.write(plain.data(), plain.size());
        writer.finish();
        return out;
    }();
    return gz;
}

class UnpackFailure : public PipelineTest, public ::testing::WithParamInterface<BadPayload> {};

TEST_P(UnpackFailure, FailsAndLeavesNothingBehind) {
    const std::string payload = GetParam().make();
    for (Form form : {Form::Files, Form::Streams, Form::StreamToFile, Form::SameStream, Form::SameFile}) {
        SCOPED_TRACE(formName(form));
        clearWork();
        // An output file that exists must survive a failed conversion.
        if (form == Form::Files || form == Form::StreamToFile) testenv::writeFile(work + "/out.bin", "keep me");
        const Outcome o = convert<DecUncmpThread>(GetParam().type, form, payload, work);
        EXPECT_FALSE(o.ok);
        EXPECT_FALSE(o.error.empty());
        if (form == Form::Files || form == Form::StreamToFile) {
            EXPECT_EQ(o.output, "keep me");
        }
        if (form == Form::SameFile) {
            EXPECT_TRUE(o.output == payload) << "the original file is intact";
        }
        expectNoLeftovers();
    }
}

INSTANTIATE_TEST_SUITE_P(
    Payloads, UnpackFailure,
    ::testing::Values(
        BadPayload{"TruncatedGzip", ttCompress, [] { return sampleGzip().substr(0, sampleGzip().size() / 2); }},
        BadPayload{"TruncatedTrailer", ttDecompressOnly,
                   [] { return sampleGzip().substr(0, sampleGzip().size() - 4); }},
        BadPayload{"HeaderOnly", ttCompress, [] { return sampleGzip().substr(0, 12); }},
        BadPayload{"CorruptBody", ttCompress, [] { return flipped(sampleGzip(), sampleGzip().size() / 2); }},
        BadPayload{"CorruptChecksum", ttDecompressOnly, [] { return flipped(sampleGzip(), sampleGzip().size() - 6); }},
        BadPayload{"CorruptLaterMember", ttCompress,
                   [] { return flipped(sampleMembers(), sampleMembers().size() * 3 / 4); }},
        BadPayload{"TruncatedInLaterMember", ttCompress,
                   [] { return sampleMembers().substr(0, sampleMembers().size() - 100); }},
        BadPayload{"TruncatedGzipEnciphered", ttCompressEncrypt,
                   [] { return enciphered(sampleGzip().substr(0, sampleGzip().size() - 100)); }},
        BadPayload{"CorruptGzipEnciphered", ttEncryptDecompress,
                   [] { return enciphered(flipped(sampleGzip(), 5000)); }},
        BadPayload{"BlockShorterThanItsKey", ttEncrypt, [] { return "\x01" + std::string(98, 'x') + '\0'; }},
        BadPayload{"OneByteBlock", ttEncryptDecompress, [] { return std::string("\x01"); }},
        BadPayload{"EmptyBlock", ttEncrypt, [] { return std::string(); }},
        BadPayload{"ZeroKeyLength", ttCompressEncrypt, [] { return std::string(10, '\0'); }}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(PipelineTest, UnusableArgumentsFail) {
    struct Case {
        const char* name;
        std::function<std::unique_ptr<BaseThread>()> make;
    };
    const std::string in = work + "/in.bin";
    testenv::writeFile(in, "data");
    MemoryStream out;
    const Case cases[] = {
        {"missing input file", [&] { return std::make_unique<EncCmpThread>(false, ttCompress, work + "/none", &out); }},
        {"empty input name", [&] { return std::make_unique<DecUncmpThread>(false, ttNone, "", work + "/o"); }},
        {"empty output name", [&] { return std::make_unique<EncCmpThread>(false, ttCompress, &out, ""); }},
        {"output in a missing directory",
         [&] { return std::make_unique<EncCmpThread>(false, ttNone, in, work + "/no/such/out"); }},
        {"output is a directory", [&] { return std::make_unique<EncCmpThread>(false, ttCompress, in, work); }},
        {"null input stream", [&] { return std::make_unique<EncCmpThread>(false, ttEncrypt, nullptr, &out); }},
        {"null output stream", [&] { return std::make_unique<DecUncmpThread>(false, ttEncrypt, in, nullptr); }},
        {"unknown transport type",
         [&] { return std::make_unique<DecUncmpThread>(false, TransportType(7), in, &out); }},
    };
    for (const auto& c : cases) {
        auto t = c.make();
        t->WaitFor();
        EXPECT_FALSE(t->IsSuccessful()) << c.name;
        EXPECT_TRUE(t->IsFinished()) << c.name;
        EXPECT_FALSE(t->GetErrorText().empty()) << c.name;
    }
    EXPECT_FALSE(fs::exists(work + "/o"));
    expectNoLeftovers();
}

TEST_F(PipelineTest, TerminationRequestedBeforeTheStartStopsTheConversion) {
    const std::string input = testenv::postScriptOfSize(100000);
    for (TransportType type : {ttCompress, ttCompressEncrypt}) {
        MemoryStream in = memoryOf(input), out;
        EncCmpThread stopped(true, type, &in, &out);
        stopped.terminate();
        stopped.resume();
        stopped.WaitFor();
        EXPECT_FALSE(stopped.IsSuccessful());

        MemoryStream packed;
        EncCmpThread resumed(true, type, &in, &packed);
        EXPECT_FALSE(resumed.IsFinished()) << "a suspended thread waits for resume";
        resumed.resume();
        resumed.WaitFor();
        EXPECT_TRUE(resumed.IsSuccessful());
    }
    expectNoLeftovers();
}

TEST_F(PipelineTest, ConversionsRunSideBySide) {
    constexpr int kCount = 6;
    std::vector<std::string> inputs;
    std::vector<MemoryStream> ins, packed(kCount), unpacked(kCount);
    for (int i = 0; i < kCount; ++i) inputs.push_back(testenv::postScriptOfSize(350000 + std::size_t(i) * 1000, unsigned(i)));
    for (const auto& s : inputs) ins.push_back(memoryOf(s));
    {
        std::vector<std::unique_ptr<EncCmpThread>> threads;
        for (int i = 0; i < kCount; ++i)
            threads.push_back(std::make_unique<EncCmpThread>(false, TransportType(1 + i % 5), &ins[i], &packed[i]));
        for (auto& t : threads) {
            t->WaitFor();
            EXPECT_TRUE(t->IsSuccessful()) << t->GetErrorText();
        }
    }
    {
        std::vector<std::unique_ptr<DecUncmpThread>> threads;
        for (int i = 0; i < kCount; ++i)
            threads.push_back(
                std::make_unique<DecUncmpThread>(false, TransportType(1 + i % 5), &packed[i], &unpacked[i]));
        for (auto& t : threads) {
            t->WaitFor();
            EXPECT_TRUE(t->IsSuccessful()) << t->GetErrorText();
        }
    }
    for (int i = 0; i < kCount; ++i) EXPECT_TRUE(contentOf(unpacked[i]) == inputs[i]) << i;
    expectNoLeftovers();
}

// ---- The cipher step on streams -------------------------------------------

TEST(CipherStep, RefusesMissingStreamsAndNonEmptyOutputs) {
    MemoryStream in = memoryOf("body"), full = memoryOf("x"), out;
    EXPECT_FALSE(EncCmpThread::EncryptStream(nullptr, &out));
    EXPECT_FALSE(EncCmpThread::EncryptStream(&in, nullptr));
    EXPECT_FALSE(EncCmpThread::EncryptStream(&in, &full));
    EXPECT_FALSE(DecUncmpThread::DecryptStream(nullptr, &out));
    EXPECT_FALSE(DecUncmpThread::DecryptStream(&in, &full));
    EXPECT_EQ(contentOf(full), "x");
}

// The stream forms work in pieces; they must agree with the one-piece
// functions for every key length and for bodies across piece boundaries.
TEST(CipherStep, StreamFormsAgreeWithTheBufferForms) {
    for (int keyLength : {1, 2, 255, 256, 257, 4097, 65535}) {
        for (std::size_t size : {std::size_t(0), std::size_t(1), std::size_t(keyLength), std::size_t(262143),
                                 std::size_t(262144), std::size_t(600001)}) {
            SCOPED_TRACE("key " + std::to_string(keyLength) + ", body " + std::to_string(size));
            const std::string body = testenv::postScriptOfSize(size, unsigned(keyLength));
            Key a, b;
            const auto block =
                encrypt_buffer(body.size(), reinterpret_cast<const std::uint8_t*>(body.data()), keyLength, a, b);
            ASSERT_TRUE(block);
            EXPECT_EQ(decipher(std::string(block->begin(), block->end())), body);
        }
    }
    for (std::size_t size : {std::size_t(0), std::size_t(262144), std::size_t(262145)}) {
        const std::string body = testenv::postScriptOfSize(size);
        const std::string block = enciphered(body);
        ASSERT_EQ(block.size(), size + 258);
        const auto plain = decrypt_buffer(block.size(), reinterpret_cast<const std::uint8_t*>(block.data()));
        ASSERT_TRUE(plain);
        EXPECT_TRUE(std::string(plain->begin(), plain->end()) == body);
    }
}

}  // namespace
