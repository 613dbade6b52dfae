// Encoding and decoding speed of a realistic price list (100,000 rows), against memcpy
// of the same bytes measured in the same run, and the memory the decoded packet takes
// against its encoded size.
//
//   bench_variant_codec [rows]
#include <malloc.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <memory>
#include <new>
#include <random>
#include <string>
#include <vector>

#include "platform/data/client_dataset.h"
#include "platform/variant/codec.h"
#include "platform/variant/data_packet.h"

// Heap accounting: bytes in use now and the peak since the last reset.
namespace {
std::atomic<std::size_t> gInUse{0};
std::atomic<std::size_t> gPeak{0};

void Count(void* p) {
  std::size_t now = gInUse += malloc_usable_size(p);
  std::size_t peak = gPeak.load();
  while (now > peak && !gPeak.compare_exchange_weak(peak, now)) {
  }
}
}  // namespace

[[gnu::noinline]] void* operator new(std::size_t size) {
  void* p = std::malloc(size ? size : 1);
  if (!p) throw std::bad_alloc();
  Count(p);
  return p;
}
[[gnu::noinline]] void operator delete(void* p) noexcept {
  if (!p) return;
  gInUse -= malloc_usable_size(p);
  std::free(p);
}
[[gnu::noinline]] void operator delete(void* p, std::size_t) noexcept { operator delete(p); }

namespace {

using namespace platform;
using Clock = std::chrono::steady_clock;

// ---- the price list ------------------------------------------------------------------

const char* const kWords[] = {"Açúcar", "Cristal", "São", "João", "Café", "Torrado", "Moído",
                              "Feijão", "Carioca", "Óleo", "Soja", "Arroz", "Parboilizado",
                              "Farinha", "Trigo", "Macarrão", "Espaguete", "Sabão", "Pó",
                              "Leite", "Integral", "Caixa", "Pacote", "Refinado"};
const char* const kUnits[] = {"1kg", "5kg", "500g", "900ml", "1L", "12x1L", "200g"};

std::shared_ptr<const DataPacket> PriceList(std::size_t rows) {
  DataPacket packet({{"CDPRODUTO", FieldType::String, 10},
                     {"NMPRODUTO", FieldType::String, 50},
                     {"CDARVPROD", FieldType::String, 20},
                     {"VRPRECOPROD", FieldType::Float, 0},
                     {"DTVALINI", FieldType::DateTime, 0},
                     {"DTVALFIN", FieldType::DateTime, 0}});
  packet.reserve(rows);
  std::mt19937 random(42);
  const double firstDay = EncodeDate(2024, 1, 1).value;
  for (std::size_t i = 0; i < rows; ++i) {
    packet.appendString(std::to_string(100000 + i));
    std::string name;
    std::size_t words = 2 + random() % 5;
    for (std::size_t w = 0; w < words; ++w) name += std::string(kWords[random() % 24]) + " ";
    name += kUnits[random() % 7];
    std::size_t cut = std::min<std::size_t>(name.size(), 50);
    while (cut < name.size() && (name[cut] & 0xc0) == 0x80) --cut;  // keep whole characters
    packet.appendString(name.substr(0, cut));
    packet.appendString("10" + std::to_string(1 + i / 1000 % 99) + std::to_string(100000 + i));
    if (random() % 5 == 0) {  // no special price: price and dates null
      packet.appendNull();
      packet.appendNull();
      packet.appendNull();
    } else {
      packet.appendFloat(std::round((1.0 + random() % 100000 / 100.0) * 1000) / 1000);
      double start = firstDay + random() % 700;
      packet.appendDateTime(TDateTime{start});
      if (random() % 4 == 0)
        packet.appendNull();
      else
        packet.appendDateTime(TDateTime{start + 30 + random() % 365});
    }
    packet.endRow();
  }
  return std::make_shared<const DataPacket>(std::move(packet));
}

// ---- measuring -----------------------------------------------------------------------

// Best time of `runs` calls, in seconds.
double BestOf(int runs, const std::function<void()>& work) {
  double best = 1e30;
  for (int i = 0; i < runs; ++i) {
    auto start = Clock::now();
    work();
    best = std::min(best, std::chrono::duration<double>(Clock::now() - start).count());
  }
  return best;
}

double MegabytesPerSecond(std::size_t bytes, double seconds) { return bytes / seconds / 1e6; }

struct HeapUse {
  std::size_t peakExtra;  // above the heap in use before the work
  std::size_t kept;       // still in use after it
};

HeapUse MeasureHeap(const std::function<void()>& work) {
  std::size_t before = gInUse;
  gPeak = before;
  work();
  return HeapUse{gPeak - before, gInUse - before};
}

// Decoding a price list and loading it into a client dataset (SetData), as a screen
// receives it: time, and the heap the dataset keeps and peaks at, against the encoded
// size.
void MeasureClientDatasetLoad(const std::string& encoded, double memcpySeconds) {
  const std::size_t size = encoded.size();
  int records = 0;
  auto load = [&] {
    TClientDataSet dataset;
    dataset.SetData(DecodeVariant(encoded));
    records = dataset.RecordCount();
  };
  double seconds = BestOf(5, load);
  std::unique_ptr<TClientDataSet> kept;
  HeapUse heap = MeasureHeap([&] {
    kept = std::make_unique<TClientDataSet>();
    kept->SetData(DecodeVariant(encoded));
  });
  std::printf("decode + SetData           %9.1f MB/s  %6.3f ms  memcpy/load = 1/%.1f  (%d records)\n",
              MegabytesPerSecond(size, seconds), seconds * 1e3, seconds / memcpySeconds, records);
  std::printf("decode + SetData heap      peak %.2f x encoded, kept %.2f x encoded\n",
              double(heap.peakExtra) / size, double(heap.kept) / size);
}

}  // namespace

int main(int argc, char** argv) {
  const std::size_t rows = argc > 1 ? std::strtoul(argv[1], nullptr, 10) : 100000;
  const int runs = 7;

  std::shared_ptr<const DataPacket> packet = PriceList(rows);
  const Variant value(packet);
  std::string encoded = EncodeVariant(value);
  const std::size_t size = encoded.size();

  std::vector<char> target(size);
  double copySeconds = BestOf(runs * 3, [&] {
    std::memcpy(target.data(), encoded.data(), size);
    asm volatile("" : : "r"(target.data()) : "memory");
  });
  double encodeSeconds = BestOf(runs, [&] { std::string out = EncodeVariant(value); });
  double decodeSeconds = BestOf(runs, [&] { Variant back = DecodeVariant(encoded); });
  double streamSeconds = BestOf(runs, [&] {
    Variant back;
    if (TryDecodeVariant(encoded, back) != size) std::abort();
  });
  const std::string_view half(encoded.data(), size / 2);
  double retrySeconds = BestOf(runs, [&] {
    Variant back;
    if (TryDecodeVariant(half, back) != 0) std::abort();
  });

  Variant decoded;
  HeapUse decodeHeap = MeasureHeap([&] { decoded = DecodeVariant(encoded); });
  if (!(decoded == value)) {
    std::fprintf(stderr, "decoded packet differs from the original\n");
    return 1;
  }
  const std::size_t packetBytes = decoded.asPacket().memoryBytes();

  std::printf("price list: %zu rows x %zu columns, %zu bytes encoded (%.1f bytes a row)\n",
              rows, packet->columnCount(), size, double(size) / rows);
  std::printf("memcpy                    %9.1f MB/s  (baseline)\n",
              MegabytesPerSecond(size, copySeconds));
  std::printf("encode                    %9.1f MB/s  %6.3f ms  memcpy/encode = 1/%.1f\n",
              MegabytesPerSecond(size, encodeSeconds), encodeSeconds * 1e3,
              encodeSeconds / copySeconds);
  std::printf("decode                    %9.1f MB/s  %6.3f ms  memcpy/decode = 1/%.1f\n",
              MegabytesPerSecond(size, decodeSeconds), decodeSeconds * 1e3,
              decodeSeconds / copySeconds);
  std::printf("stream read (whole frame)  %9.1f MB/s  %6.3f ms  memcpy/read = 1/%.1f\n",
              MegabytesPerSecond(size, streamSeconds), streamSeconds * 1e3,
              streamSeconds / copySeconds);
  std::printf("stream retry (half frame) %9.1f MB/s  %6.3f ms  memcpy/retry = 1/%.1f\n",
              MegabytesPerSecond(size / 2, retrySeconds), retrySeconds * 1e3,
              retrySeconds / (copySeconds / 2));
  std::printf("packet memory             %9zu bytes = %.2f x encoded (built: %.2f x)\n",
              packetBytes, double(packetBytes) / size, double(packet->memoryBytes()) / size);
  std::printf("decode heap               peak %.2f x encoded, kept %.2f x encoded\n",
              double(decodeHeap.peakExtra) / size, double(decodeHeap.kept) / size);
  MeasureClientDatasetLoad(encoded, copySeconds);
  return 0;
}
