#include <zcodec/gzipwriter.h>

#include <libdeflate.h>

#include <algorithm>
#include <condition_variable>
#include <deque>
#include <exception>
#include <mutex>
#include <new>
#include <stdexcept>
#include <thread>
#include <vector>

namespace encdec {

namespace {

// libdeflate's strongest lazy level. On print data it makes 1-2 % less than
// gzip -9 in two thirds of its time on one core. The near-optimal level 10
// makes about 6 % less but takes twice as long, which on two cores is slower
// than pigz -9 (bench/README.md).
constexpr int kLevel = 9;

unsigned workerCount() { return std::clamp(std::thread::hardware_concurrency(), 1u, 4u); }

struct Output {
    std::unique_ptr<std::uint8_t[]> data;
    std::size_t size = 0, capacity = 0;
};

class Compressor {
public:
    Compressor() : c_(libdeflate_alloc_compressor(kLevel)) {
        if (!c_) throw std::bad_alloc();
    }
    ~Compressor() { libdeflate_free_compressor(c_); }
    Compressor(const Compressor&) = delete;
    Compressor& operator=(const Compressor&) = delete;

    // One whole gzip member of the input.
    void member(const std::vector<std::uint8_t>& in, Output& out) {
        const std::size_t bound = libdeflate_gzip_compress_bound(c_, in.size());
        if (bound > out.capacity) {
            out.data.reset(new std::uint8_t[bound]);   // not zeroed: libdeflate writes before it reads
            out.capacity = bound;
        }
        out.size = libdeflate_gzip_compress(c_, in.data(), in.size(), out.data.get(), out.capacity);
        if (out.size == 0) throw std::runtime_error("gzip compression failed");
    }

private:
    libdeflate_compressor* c_;
};

struct Block {
    std::vector<std::uint8_t> in;
    Output out;
    bool done = false;   // under the writer's lock
    std::exception_ptr error;
};

}  // namespace

class GzipWriter::Impl {
public:
    Impl(Sink sink, std::size_t blockSize) : sink_(std::move(sink)), blockSize_(std::max<std::size_t>(blockSize, 1)) {}
    ~Impl() { stopWorkers(); }

    void write(const std::uint8_t* data, std::size_t size) {
        if (finished_) throw std::logic_error("gzip writer: write after finish");
        while (size > 0) {
            if (!filling_) filling_ = takeBlock();
            // A full block waits until more input comes: input of one block
            // or less is compressed on this thread at finish().
            if (filling_->in.size() == blockSize_) {
                submit();
                continue;
            }
            const std::size_t take = std::min(size, blockSize_ - filling_->in.size());
            filling_->in.insert(filling_->in.end(), data, data + take);
            data += take;
            size -= take;
        }
    }

    void finish() {
        if (finished_) throw std::logic_error("gzip writer: finished twice");
        finished_ = true;
        if (workers_.empty()) {
            Block& b = filling_ ? *filling_ : *(filling_ = takeBlock());
            Compressor().member(b.in, b.out);
            sink_(b.out.data.get(), b.out.size);
            return;
        }
        if (filling_ && !filling_->in.empty()) submit();
        while (!inOrder_.empty()) deliverOldest();
    }

private:
    std::unique_ptr<Block> takeBlock() {
        if (free_.empty()) {
            auto b = std::make_unique<Block>();
            b->in.reserve(blockSize_);
            return b;
        }
        auto b = std::move(free_.back());
        free_.pop_back();
        return b;
    }

    void submit() {
        if (workers_.empty()) {
            const unsigned n = workerCount();
            maxInFlight_ = n + 1;
            for (unsigned i = 0; i < n; ++i) workers_.emplace_back([this] { work(); });
        }
        while (inOrder_.size() >= maxInFlight_) deliverOldest();
        Block* b = filling_.get();
        inOrder_.push_back(std::move(filling_));
        {
            std::lock_guard lock(mutex_);
            pending_.push_back(b);
        }
        wake_.notify_one();
    }

    // Waits for the oldest block, hands it to the sink and keeps its buffers
    // for a later block: fresh pages cost more than copying into old ones.
    void deliverOldest() {
        Block& b = *inOrder_.front();
        {
            std::unique_lock lock(mutex_);
            done_.wait(lock, [&] { return b.done; });
        }
        if (b.error) std::rethrow_exception(b.error);
        sink_(b.out.data.get(), b.out.size);
        b.in.clear();
        b.done = false;
        free_.push_back(std::move(inOrder_.front()));
        inOrder_.pop_front();
    }

    void work() {
        std::unique_ptr<Compressor> compressor;
        for (;;) {
            Block* b = nullptr;
            {
                std::unique_lock lock(mutex_);
                wake_.wait(lock, [&] { return stopping_ || !pending_.empty(); });
                if (stopping_) return;
                b = pending_.front();
                pending_.pop_front();
            }
            try {
                if (!compressor) compressor = std::make_unique<Compressor>();
                compressor->member(b->in, b->out);
            } catch (...) {
                b->error = std::current_exception();
            }
            {
                std::lock_guard lock(mutex_);
                b->done = true;
            }
            done_.notify_one();
        }
    }

    // Blocks not yet started are dropped; those under way end first, so no
    // worker touches a block after this.
    void stopWorkers() {
        {
            std::lock_guard lock(mutex_);
            stopping_ = true;
            pending_.clear();
        }
        wake_.notify_all();
        for (auto& t : workers_) t.join();
    }

    Sink sink_;
    const std::size_t blockSize_;
    bool finished_ = false;
    std::unique_ptr<Block> filling_;
    std::deque<std::unique_ptr<Block>> inOrder_;   // submitted, oldest first
    std::vector<std::unique_ptr<Block>> free_;
    std::size_t maxInFlight_ = 0;

    std::mutex mutex_;
    std::condition_variable wake_;   // workers: a block is pending, or stop
    std::condition_variable done_;   // writer: a block is compressed
    std::deque<Block*> pending_;     // submitted, not yet taken by a worker
    bool stopping_ = false;
    std::vector<std::thread> workers_;
};

GzipWriter::GzipWriter(Sink sink, std::size_t blockSize) : impl_(std::make_unique<Impl>(std::move(sink), blockSize)) {}

GzipWriter::~GzipWriter() = default;

void GzipWriter::write(const void* data, std::size_t size) {
    impl_->write(static_cast<const std::uint8_t*>(data), size);
}

void GzipWriter::finish() { impl_->finish(); }

void GzipWriter::compress(const void* data, std::size_t size, const Sink& sink) {
    GzipWriter writer(sink);
    writer.write(data, size);
    writer.finish();
}

}  // namespace encdec
