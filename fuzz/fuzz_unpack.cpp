// Unpacking any bytes with any transport type never crashes, always finishes,
// leaves no temporary file behind, and agrees with the cipher on what a
// block is. The stream forms of the cipher must also give back what they
// were given.
#include <zcodec/cipher.h>
#include <zcodec/pipeline.h>

#include <dirent.h>
#include <stdlib.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <string>

namespace {

void require(bool condition) {
    if (!condition) std::abort();
}

std::string tempDir;

bool tempDirEmpty() {
    DIR* dir = opendir(tempDir.c_str());
    require(dir != nullptr);
    bool empty = true;
    while (const dirent* e = readdir(dir))
        if (std::string(e->d_name) != "." && std::string(e->d_name) != "..") empty = false;
    closedir(dir);
    return empty;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    // Temporary files of the conversions go to a directory of their own, so
    // a leak shows.
    char pattern[] = "/tmp/fuzz-unpack-XXXXXX";
    require(mkdtemp(pattern) != nullptr);
    tempDir = pattern;
    setenv("TMPDIR", pattern, 1);
    std::atexit([] { rmdir(tempDir.c_str()); });
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    for (int type = 0; type <= 5; ++type) {
        encdec::MemoryStream in(std::vector<std::uint8_t>(data, data + size)), out;
        encdec::DecUncmpThread worker(false, encdec::TransportType(type), &in, &out);
        worker.WaitFor();
        require(worker.IsFinished());
        if (worker.IsSuccessful()) {
            require(worker.GetOutputSize() == out.size());
            if (type == 0) require(out.bytes() == in.bytes());
        } else {
            require(!worker.GetErrorText().empty());
        }
        if (type == 1) {
            const bool wellFormed =
                size >= 2 && std::size_t(data[0]) * 256 + data[size - 1] != 0 &&
                size >= std::size_t(data[0]) * 256 + data[size - 1] + 2;
            require(worker.IsSuccessful() == wellFormed);
        }
        require(tempDirEmpty());
    }

    encdec::MemoryStream body(std::vector<std::uint8_t>(data, data + size)), block, back;
    require(encdec::EncCmpThread::EncryptStream(&body, &block));
    require(block.size() == std::int64_t(size) + 258);
    require(encdec::DecUncmpThread::DecryptStream(&block, &back));
    require(back.bytes() == body.bytes());
    return 0;
}
