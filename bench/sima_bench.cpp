// Importing a SIMA file of 100,000 points with names (Shift_JIS, CRLF) into
// the embedded host: reading and decoding, then drawing each point and its
// name through the host's object model. Must stay under one second.

#include <benchmark/benchmark.h>

#include <string>

#include "cad/embedded_host.h"
#include "host/object_model.h"
#include "platform/text_encoding.h"
#include "survey/sima.h"
#include "survey/sima_drawing.h"

namespace zavin::survey {
namespace {

constexpr int kPoints = 100'000;

std::string LargeFile() {
  std::string text = "G00,01,大きな現場,\r\nZ00,座標ﾃﾞｰﾀ,\r\nA00,\r\n";
  for (int i = 1; i <= kPoints; ++i) {
    const std::string n = std::to_string(i);
    text += "A01," + n + ",境界杭" + n + "," + std::to_string(1000 + (i % 300) * 1.25) + "," +
            std::to_string(2000 + (i / 300) * 1.5) + ",12.345,\r\n";
  }
  text += "A99,\r\n";
  std::string bytes;
  platform::Utf8ToCodePage(text, platform::kSystemCodePage, bytes);
  return bytes;
}

void BM_ParseSima(benchmark::State& state) {
  const std::string bytes = LargeFile();
  for (auto _ : state) benchmark::DoNotOptimize(ParseSima(bytes, "bench.sim").data.points.size());
  state.SetItemsProcessed(state.iterations() * kPoints);
}
BENCHMARK(BM_ParseSima)->Unit(benchmark::kMillisecond);

void BM_ImportSima(benchmark::State& state) {
  const std::string bytes = LargeFile();
  for (auto _ : state) {
    const auto host = cad::EmbeddedHost::Create();
    const host::Document document = host::Application(host->Application()).ActiveDocument();
    const SimaReadResult file = ParseSima(bytes, "bench.sim");
    benchmark::DoNotOptimize(DrawSima(document, file.data, SimaDrawingStyle{}).points);
  }
  state.SetItemsProcessed(state.iterations() * kPoints);
}
BENCHMARK(BM_ImportSima)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace zavin::survey
