#include "tools/zorvel-sim/Options.h"

#include <charconv>

namespace zorvel {
namespace {

bool ToInt(const std::string& text, int& out, int min, int max) {
  int value = 0;
  auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (ec != std::errc() || end != text.data() + text.size() || value < min || value > max)
    return false;
  out = value;
  return true;
}

}  // namespace

std::string UsageText() {
  return "usage: zorvel-sim [options]\n"
         "  --port N            TCP port (default 2323; 0 = any free port)\n"
         "  --port-file FILE    write the port there once listening\n"
         "  --bind ADDRESS      address to listen on (default 127.0.0.1)\n"
         "  --password TEXT     the device password (default \"password\")\n"
         "  --encoding E        sjis, euc or jis: how Japanese answers are sent\n"
         "  --max-users N       concurrent sessions; more get \"503 Too many users.\"\n"
         "  --greeting TEXT     text sent on connect (default: banner and \">\")\n"
         "  --silent            send no greeting and no prompt\n"
         "  --echo              echo the command as a terminal would\n"
         "  --close             close the connection after the answer\n"
         "  --answer-delay MS   wait before answering\n"
         "  --once              exit after the first session\n"
         "commands: *PASSWORD#POR<n>, *PASSWORD#STS, *PASSWORD#VER\n";
}

std::optional<Options> ParseOptions(const std::vector<std::string>& args, std::string& error) {
  Options o;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    auto value = [&]() -> const std::string* {
      if (i + 1 >= args.size()) {
        error = a + " needs a value";
        return nullptr;
      }
      return &args[++i];
    };
    const std::string* v = nullptr;
    if (a == "--silent") {
      o.silent = true;
    } else if (a == "--echo") {
      o.echo = true;
    } else if (a == "--close") {
      o.closeAfterAnswer = true;
    } else if (a == "--once") {
      o.once = true;
    } else if (a == "--port" || a == "--max-users" || a == "--answer-delay") {
      if (!(v = value())) return std::nullopt;
      int* target = a == "--port" ? &o.port : a == "--max-users" ? &o.maxUsers : &o.answerDelayMs;
      int max = a == "--port" ? 65535 : 1000000;
      int min = a == "--max-users" ? 1 : 0;
      if (!ToInt(*v, *target, min, max)) {
        error = "bad value for " + a + ": " + *v;
        return std::nullopt;
      }
    } else if (a == "--port-file" || a == "--bind" || a == "--password" || a == "--greeting") {
      if (!(v = value())) return std::nullopt;
      std::string* target = a == "--port-file" ? &o.portFile
                            : a == "--bind"    ? &o.bindAddress
                            : a == "--password" ? &o.password
                                                : &o.greeting;
      *target = *v;
    } else if (a == "--encoding") {
      if (!(v = value())) return std::nullopt;
      if (*v == "sjis") {
        o.encoding = Encoding::ShiftJis;
      } else if (*v == "euc") {
        o.encoding = Encoding::EucJp;
      } else if (*v == "jis") {
        o.encoding = Encoding::Jis;
      } else {
        error = "unknown encoding: " + *v;
        return std::nullopt;
      }
    } else {
      error = "unknown option: " + a;
      return std::nullopt;
    }
  }
  return o;
}

}  // namespace zorvel
