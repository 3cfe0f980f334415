// Throughput of the transport cipher on job-sized bodies, beside a plain
// memcpy of the same size so the figures read relative to memory bandwidth.
#include <zcodec/cipher.h>

#include <benchmark/benchmark.h>

#include <cstring>
#include <random>

namespace {

encdec::Bytes randomBody(std::size_t n) {
    std::mt19937 engine(7);
    encdec::Bytes body(n);
    for (auto& b : body) b = std::uint8_t(engine());
    return body;
}

void BM_Memcpy(benchmark::State& state) {
    const auto body = randomBody(std::size_t(state.range(0)));
    encdec::Bytes copy(body.size());
    for (auto _ : state) {
        std::memcpy(copy.data(), body.data(), body.size());
        benchmark::DoNotOptimize(copy.data());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(state.iterations() * state.range(0));
}

// Includes allocating the block, as the pipeline does per job.
void BM_Encrypt(benchmark::State& state) {
    const auto body = randomBody(std::size_t(state.range(0)));
    encdec::Key keyA, keyB;
    encdec::gen_keyA(keyA, encdec::kPipelineKeyLength);
    encdec::gen_keyB(keyA, keyB);
    for (auto _ : state) {
        auto block = encdec::encrypt_buffer(body.size(), body.data(), encdec::kPipelineKeyLength, keyA, keyB);
        benchmark::DoNotOptimize(block->data());
    }
    state.SetBytesProcessed(state.iterations() * state.range(0));
}

void BM_Decrypt(benchmark::State& state) {
    const auto body = randomBody(std::size_t(state.range(0)));
    encdec::Key keyA, keyB;
    const auto block = encdec::encrypt_buffer(body.size(), body.data(), encdec::kPipelineKeyLength, keyA, keyB);
    for (auto _ : state) {
        auto back = encdec::decrypt_buffer(block->size(), block->data());
        benchmark::DoNotOptimize(back->data());
    }
    state.SetBytesProcessed(state.iterations() * state.range(0));
}

constexpr std::int64_t kMiB = 1 << 20;

BENCHMARK(BM_Memcpy)->Arg(kMiB)->Arg(16 * kMiB)->UseRealTime();
BENCHMARK(BM_Encrypt)->Arg(kMiB)->Arg(16 * kMiB)->UseRealTime();
BENCHMARK(BM_Decrypt)->Arg(kMiB)->Arg(16 * kMiB)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
