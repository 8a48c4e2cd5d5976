// Received-text conversion throughput against glibc iconv(3) to code page 932,
// on the same 8 MiB inputs in the same run:
// - Japanese prose (sentences of 12-40 characters, a third of them with an
//   ASCII word, a third with a half-width katakana word) as JIS, katakana
//   shifted by ESC ( I and, every second time, by SO/SI; the same with ESC ( I
//   alone; EUC-JP with SS2 katakana; Shift_JIS;
// - ASCII text; JIS with a shift or escape every few bytes;
// - device-message text, katakana or ASCII every dozen characters or so.
//
// Each input is a series of paragraph lines of 2-4 KiB ending in CR LF, fed one
// line per block, as a receive of up to 4 KiB cut at line ends gives them: the
// first-line detection then sees real text, and no removal that cuts at a line
// end can skip work. The carried state is reset at the start of every pass
// over the input. iconv gets the same blocks through one descriptor (its
// state carried too) into a preallocated buffer, and, as a second figure, the
// whole input in one call.
//
// After the benchmarks a summary prints bytes per second and the ratios that
// the performance targets are stated in; with --benchmark_repetitions it uses
// the medians.
#include <benchmark/benchmark.h>
#include <iconv.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <random>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "socket/KanjiConvert.h"
#include "tools/encode/FromUtf8.h"

namespace {

constexpr std::size_t kInputBytes = 8 << 20;

// --- Text -------------------------------------------------------------------

// Characters that JIS X 0208, EUC-JP and code page 932 map alike.
const char* const kWide[] = {"の", "に", "は", "を", "た", "が", "で", "て", "と", "し", "れ",
                             "さ", "あ", "る", "い", "う", "か", "な", "っ", "ま", "す", "ん",
                             "こ", "日", "本", "語", "通", "信", "装", "置", "接", "続", "送",
                             "受", "応", "答", "時", "間", "設", "定", "状", "態", "確", "認",
                             "電", "源", "番", "号", "名", "前", "開", "始", "終", "了", "機",
                             "能", "管", "理", "、", "「", "」", "ア", "イ", "ン", "ー"};
const char* const kHalfKana[] = {"ｺﾏﾝﾄﾞ", "ﾎﾟｰﾄ", "ｴﾗｰ", "ｿｹｯﾄ", "ﾀｲﾑｱｳﾄ", "ﾌﾞﾛｯｸ"};
const char* const kAsciiWords[] = {" OK ", " port 23 ", " 100 ", " ZORVEL ", " ERROR "};
const char* const kAscii[] = {"status", "port", "ok",  "error",   "device", "command",
                              "answer", "time", "out", "connect", "23",     "100",
                              "=",      ":",    "-",   "ZORVEL"};

template <std::size_t N>
const char* Pick(std::mt19937& random, const char* const (&pieces)[N]) {
  return pieces[random() % N];
}

// Prose: sentences of 12-40 wide characters, about one in three with an ASCII
// word and one in three with a half-width katakana word.
std::string ProseSentence(std::mt19937& random) {
  std::string sentence;
  const std::size_t length = 12 + random() % 29;
  const std::size_t ascii = random() % 3 == 0 ? random() % length : length;
  const std::size_t kana = random() % 3 == 0 ? random() % length : length;
  for (std::size_t i = 0; i < length; ++i) {
    if (i == ascii) sentence += Pick(random, kAsciiWords);
    if (i == kana) sentence += Pick(random, kHalfKana);
    sentence += Pick(random, kWide);
  }
  return sentence + "。";
}

// Device messages: wide characters with a half-width katakana or ASCII word
// between every dozen or so, as in "ﾌﾞﾛｯｸ操作が取り消されました".
std::string MessageSentence(std::mt19937& random) {
  std::string sentence;
  for (std::size_t n = 4 + random() % 12; n > 0; --n) sentence += Pick(random, kWide);
  return sentence + (random() % 2 ? Pick(random, kHalfKana) : Pick(random, kAsciiWords));
}

std::string AsciiSentence(std::mt19937& random) {
  std::string sentence;
  for (std::size_t n = 4 + random() % 12; n > 0; --n) (sentence += Pick(random, kAscii)) += ' ';
  return sentence;
}

// Paragraph lines of 2-4 KiB once encoded (the widest encoding is JIS),
// 1 MiB of UTF-8 in all. Japanese ones begin with hiragana, so that their
// Shift_JIS form is detected as such.
std::vector<std::string> Paragraphs(const char* first, std::string (*sentence)(std::mt19937&)) {
  std::mt19937 random(8);
  std::vector<std::string> lines;
  for (std::size_t total = 0; total < (1 << 20);) {
    std::string line = first;
    const std::size_t target = 1700 + random() % 1300;
    while (line.size() < target) line += sentence(random);
    line += "\r\n";
    total += line.size();
    lines.push_back(std::move(line));
  }
  return lines;
}

// Every second run of half-width katakana shifted by SO and SI instead of ESC ( I.
std::string HalfWithShiftOutIn(const std::string& jis) {
  std::string out;
  bool useShift = false;
  bool inShift = false;
  for (std::size_t i = 0; i < jis.size(); ++i) {
    if (jis.compare(i, 3, "\x1B(I") == 0) {
      useShift = !useShift;
      if (useShift) {
        out += '\x0E';
        inShift = true;
        i += 2;
        continue;
      }
    } else if (inShift && jis[i] == '\x1B') {
      out += '\x0F';
      inShift = false;
    }
    out += jis[i];
  }
  return out;
}

struct Input {
  std::vector<std::string> blocks;
  std::string whole;
  const char* iconvFrom;
  // glibc has no decoder that shifts to katakana at SO (its ISO-2022-JP
  // passes SO and SI on as controls and then misreads the katakana), so iconv
  // is measured on the twin of such an input that uses ESC ( I throughout.
  std::string iconvTwin;
};

Input Assemble(std::vector<std::string> lines, const char* iconvFrom,
               const std::string& iconvTwin = "") {
  Input input{{}, {}, iconvFrom, iconvTwin};
  for (std::size_t i = 0; input.whole.size() < kInputBytes; ++i) {
    const std::string& line = lines[i % lines.size()];
    input.blocks.push_back(line);
    input.whole += line;
  }
  return input;
}

std::vector<std::string> Encoded(const std::vector<std::string>& utf8, const char* charset) {
  std::vector<std::string> out;
  for (const std::string& line : utf8) out.push_back(encode::FromUtf8(line, charset));
  return out;
}

// Shifts and escapes every few bytes, in lines of about 3 KiB.
std::vector<std::string> EscapeDenseLines() {
  const std::string unit =
      "\x1B$B\x24\x22\x30\x21\x1B(Bab\x0E"
      "12\x0F"
      "c\x1B(I34\x1B(Jd ";
  std::string line;
  while (line.size() < 3000) line += unit;
  return {line + "\r\n"};
}

// Line by line, the product must give what iconv gives from the UTF-8 source,
// so that the figures measure the whole conversion. A line with SO loses its
// line end, as a shift removal cuts the text there.
void CheckConverts(const std::vector<std::string>& encoded, const std::vector<std::string>& utf8) {
  for (std::size_t i = 0; i < encoded.size(); ++i) {
    RezUrav::KanjiMode = RezUrav::KanaMode = 0;
    std::string expected = encode::FromUtf8(utf8[i], "CP932");
    if (encoded[i].find('\x0E') != std::string::npos) expected.pop_back();
    if (RezUrav::ConvertKanjiCodeText(encoded[i]) != expected) {
      std::fprintf(stderr, "conversion check failed on line %zu\n", i);
      std::exit(1);
    }
  }
}

// JIS with katakana by ESC ( I and by SO/SI, its twin with ESC ( I alone, and EUC-JP.
void AddJapanese(std::map<std::string, Input>& inputs, const std::string& name,
                 const std::vector<std::string>& utf8) {
  const std::vector<std::string> escI = Encoded(utf8, "ISO-2022-JP-2");
  std::vector<std::string> jis;
  for (const std::string& line : escI) jis.push_back(HalfWithShiftOutIn(line));
  const std::vector<std::string> euc = Encoded(utf8, "EUC-JP");
  CheckConverts(jis, utf8);
  CheckConverts(escI, utf8);
  CheckConverts(euc, utf8);
  inputs["JIS" + name] = Assemble(jis, "ISO-2022-JP-2", "JIS" + name + " ESC(I");
  inputs["JIS" + name + " ESC(I"] = Assemble(escI, "ISO-2022-JP-2");
  inputs["EUC-JP" + name] = Assemble(euc, "EUC-JP");
}

class IconvToCp932 {
 public:
  explicit IconvToCp932(const char* from) : cd_(iconv_open("CP932", from)) {}
  ~IconvToCp932() { iconv_close(cd_); }
  void Reset() { iconv(cd_, nullptr, nullptr, nullptr, nullptr); }
  // Converts all of in; a byte iconv refuses is skipped and counted.
  std::size_t Convert(std::string_view in, std::string& buffer) {
    char* s = const_cast<char*>(in.data());
    size_t sLeft = in.size();
    char* d = buffer.data();
    size_t dLeft = buffer.size();
    while (sLeft > 0) {
      if (iconv(cd_, &s, &sLeft, &d, &dLeft) != static_cast<size_t>(-1)) break;
      ++refused_;
      ++s;
      --sLeft;
    }
    return buffer.size() - dLeft;
  }
  std::size_t Refused() const { return refused_; }

 private:
  iconv_t cd_;
  std::size_t refused_ = 0;
};

std::map<std::string, Input>& Inputs() {
  static std::map<std::string, Input> inputs = [] {
    std::map<std::string, Input> m;
    const std::vector<std::string> prose = Paragraphs("こ", ProseSentence);
    AddJapanese(m, "", prose);
    AddJapanese(m, " messages", Paragraphs("こ", MessageSentence));
    const std::vector<std::string> sjis = Encoded(prose, "CP932");
    CheckConverts(sjis, prose);
    m["Shift_JIS"] = Assemble(sjis, "CP932");
    m["ASCII"] = Assemble(Paragraphs("", AsciiSentence), "CP932");
    m["JIS escape-dense"] = Assemble(EscapeDenseLines(), "ISO-2022-JP-2");
    for (const auto& [name, input] : m) {
      if (!input.iconvTwin.empty()) continue;
      IconvToCp932 iconv(input.iconvFrom);
      std::string buffer(input.whole.size() * 2, '\0');
      iconv.Convert(input.whole, buffer);
      if (iconv.Refused() != 0)
        std::fprintf(stderr, "warning: iconv refuses %zu bytes of %s\n", iconv.Refused(),
                     name.c_str());
    }
    return m;
  }();
  return inputs;
}

// --- Benchmarks -------------------------------------------------------------------

void ConvertBlocks(benchmark::State& state, const std::string& name) {
  const Input& input = Inputs().at(name);
  std::size_t out = 0;
  for (auto _ : state) {
    RezUrav::KanjiMode = RezUrav::KanaMode = 0;
    for (const std::string& block : input.blocks) {
      std::string converted = RezUrav::ConvertKanjiCodeText(block);
      out += converted.size();
      benchmark::DoNotOptimize(converted.data());
    }
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * input.whole.size()));
  state.counters["out/in"] =
      static_cast<double>(out) / static_cast<double>(state.iterations() * input.whole.size());
}

// The input that iconv converts in place of this one.
const Input& IconvInput(const std::string& name) {
  const Input& input = Inputs().at(name);
  return input.iconvTwin.empty() ? input : Inputs().at(input.iconvTwin);
}

void IconvBlocks(benchmark::State& state, const std::string& name) {
  const Input& input = IconvInput(name);
  IconvToCp932 iconv(input.iconvFrom);
  std::string buffer(16 << 10, '\0');
  for (auto _ : state) {
    iconv.Reset();
    for (const std::string& block : input.blocks) {
      benchmark::DoNotOptimize(iconv.Convert(block, buffer));
    }
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * input.whole.size()));
  state.counters["refused"] = static_cast<double>(iconv.Refused());
}

void IconvWhole(benchmark::State& state, const std::string& name) {
  const Input& input = IconvInput(name);
  IconvToCp932 iconv(input.iconvFrom);
  std::string buffer(input.whole.size() * 2, '\0');
  for (auto _ : state) {
    iconv.Reset();
    benchmark::DoNotOptimize(iconv.Convert(input.whole, buffer));
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * input.whole.size()));
  state.counters["refused"] = static_cast<double>(iconv.Refused());
}

// One block of escape-dense text of growing size: the time per byte stays
// flat, as the removals move no bytes.
void ConvertOneDenseBlock(benchmark::State& state) {
  const std::string line = EscapeDenseLines().front();
  std::string block;
  while (block.size() < static_cast<std::size_t>(state.range(0)))
    block += line.substr(0, line.size() - 2);
  for (auto _ : state) {
    RezUrav::KanjiMode = RezUrav::KanaMode = 0;
    benchmark::DoNotOptimize(RezUrav::ConvertKanjiCodeText(block).data());
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * block.size()));
  state.SetComplexityN(static_cast<benchmark::IterationCount>(block.size()));
}

const char* const kInputNames[] = {"JIS",
                                   "JIS ESC(I",
                                   "EUC-JP",
                                   "Shift_JIS",
                                   "ASCII",
                                   "JIS escape-dense",
                                   "JIS messages",
                                   "JIS messages ESC(I",
                                   "EUC-JP messages"};

void RegisterAll() {
  for (const char* name : kInputNames) {
    const std::string n = name;
    benchmark::RegisterBenchmark(("convert/" + n).c_str(), ConvertBlocks, n)
        ->Unit(benchmark::kMillisecond);
    if (!Inputs().at(n).iconvTwin.empty()) continue;  // iconv runs on the twin
    benchmark::RegisterBenchmark(("iconv_blocks/" + n).c_str(), IconvBlocks, n)
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark(("iconv_whole/" + n).c_str(), IconvWhole, n)
        ->Unit(benchmark::kMillisecond);
  }
  benchmark::RegisterBenchmark("convert_one_dense_block", ConvertOneDenseBlock)
      ->RangeMultiplier(8)
      ->Range(64 << 10, 8 << 20)
      ->Complexity(benchmark::oN);
}

// Keeps each benchmark's bytes per second for the summary: the median when
// the run is repeated (--benchmark_repetitions), else the one run.
class Collector : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    for (const Run& run : runs) {
      const auto it = run.counters.find("bytes_per_second");
      if (it == run.counters.end()) continue;
      const std::string name = run.run_name.str();
      if (run.run_type == Run::RT_Aggregate && run.aggregate_name == "median") {
        bytesPerSecond[name] = it->second.value;
        medians.insert(name);
      } else if (run.run_type == Run::RT_Iteration && !medians.count(name)) {
        bytesPerSecond[name] = it->second.value;
      }
    }
    ConsoleReporter::ReportRuns(runs);
  }
  std::map<std::string, double> bytesPerSecond;
  std::set<std::string> medians;
};

void PrintSummary(const std::map<std::string, double>& bps) {
  auto get = [&](const std::string& key) {
    auto it = bps.find(key);
    return it == bps.end() ? 0.0 : it->second;
  };
  std::printf("\n%-20s %10s %15s %15s %11s\n", "input", "ours MB/s", "iconv blk MB/s",
              "iconv all MB/s", "ours/iconv");
  for (const char* name : kInputNames) {
    const Input& input = Inputs().at(name);
    const std::string iconvName = input.iconvTwin.empty() ? name : input.iconvTwin;
    const double ours = get(std::string("convert/") + name);
    const double blocks = get("iconv_blocks/" + iconvName);
    const double whole = get("iconv_whole/" + iconvName);
    const double best = std::max(blocks, whole);
    std::printf("%-20s %10.0f %15.0f %15.0f %10.1fx%s\n", name, ours / 1e6, blocks / 1e6,
                whole / 1e6, best > 0 ? ours / best : 0.0, input.iconvTwin.empty() ? "" : " *");
  }
  const double jis = get("convert/JIS");
  const double dense = get("convert/JIS escape-dense");
  if (jis > 0 && dense > 0)
    std::printf("escape-dense time per byte: %.2fx that of JIS text\n", jis / dense);
  std::printf(
      "ours/iconv: against the faster of iconv's two figures\n"
      "* iconv measured on the ESC ( I twin (glibc does not shift at SO)\n");
}

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  RegisterAll();
  Collector collector;
  benchmark::RunSpecifiedBenchmarks(&collector);
  PrintSummary(collector.bytesPerSecond);
  benchmark::Shutdown();
  return 0;
}
