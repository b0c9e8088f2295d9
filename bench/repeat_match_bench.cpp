// What Repeat Match adds on weak signals: contest exchanges whose last word is sent twice
// ("CALL 599 NNN NNN" and "W1AW 5NN CALL CALL"), each in its own file after a short
// call-up, in white noise, decoded in Selectiv with Repeat Match and same-reject on.
// Prints Markdown for docs/benchmarks.md.
//
//   repeat_match_bench [--exchanges N]
//
// Per SNR: exchanges where the plain text had either copy of the word wrong; of those,
// where a brace in the exchange line printed the right word; braces that printed a wrong
// word (in the call-up or the exchange line); and the character error rate of the word
// without Repeat Match (the better of the two plain copies, which favours the plain text)
// and with it (the exchange line's last brace where one printed, else that plain copy).
//
// Only what the transmission printed counts: the decoder, without squelch, also prints
// the noise before and after it, and a chance repeat there is no part of the exchange.
// The transmission's text is what is printed while the clean file prints, give or take
// one batch of the receive chain; braces printed on the noise are counted apart.
#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "lab/lab.h"
#include "platform/logger_codes.h"
#include "text/wide_text.h"

using namespace kestrel;
using namespace kestrel::lab;

namespace {

constexpr double kRms = 4000.0;
const std::string kCallUp = "\r\nQRZ DE W1AW TEST\r\n";

struct Exchange {
    std::string word;  // the word sent twice
    Audio clean;
    // When the transmission's characters are printed (samples played), noise aside: the
    // call-up from printFrom, the exchange line from lineFrom, to printTo.
    std::uint64_t printFrom = 0;
    std::uint64_t lineFrom = 0;
    std::uint64_t printTo = 0;
};

// Noise moves a character's print by up to one batch of the receive chain.
constexpr std::uint64_t kPrintSlack = 2048;

KestrelSettings measuredSettings() {
    KestrelSettings settings;
    settings.mode = kDecodeSelectiv;
    settings.repeatMatch = true;
    settings.sameReject = true;
    return settings;
}

// The line breaks the player adds when a file starts and ends are no part of it.
bool fromThePlayer(const KestrelPost& p, const KestrelResult& result) {
    return p.sample == 0 || p.sample >= result.samples;
}

// From the clean file's first letter or figure to its last character; the exchange line
// begins after the call-up's letters.
void findPrintSpan(Exchange& e) {
    const KestrelResult clean = kestrelDecode(e.clean, measuredSettings());
    const int callUpLetters = static_cast<int>(
        std::count_if(kCallUp.begin(), kCallUp.end(), [](char c) { return std::isgraph(c) != 0; }));
    int letters = 0;
    for (const KestrelPost& p : clean.posts) {
        if (p.code != kestrel::TXM_CHAR || fromThePlayer(p, clean)) continue;
        if (std::isgraph(static_cast<int>(p.value))) {
            if (letters == 0) e.printFrom = p.sample - std::min(p.sample, kPrintSlack);
            if (letters == callUpLetters) e.lineFrom = p.sample - kPrintSlack;
            ++letters;
        }
        e.printTo = p.sample + kPrintSlack;
    }
}

char pick(Gaussian& g, const char* from) {
    const auto n = std::strlen(from);
    return from[std::min(n - 1, static_cast<std::size_t>(g.nextUniform() * n))];
}

std::string randomCall(Gaussian& g) {
    std::string call;
    call += pick(g, "KNWG");
    if (g.nextUniform() < 0.5) call += pick(g, "ABCDEFGHIJKLMNOPQRSTUVWXYZ");
    call += pick(g, "0123456789");
    for (int i = 0, n = g.nextUniform() < 0.5 ? 2 : 3; i < n; ++i)
        call += pick(g, "ABCDEFGHIJKLMNOPQRSTUVWXYZ");
    return call;
}

std::vector<Exchange> corpus(int count) {
    Gaussian g(2024);
    std::vector<Exchange> exchanges;
    for (int i = 0; i < count; ++i) {
        const std::string call = randomCall(g);
        std::string word, line;
        if (i % 2 == 0) {
            word =
                std::to_string(1000 + 1 + static_cast<int>(g.nextUniform() * 999) % 999).substr(1);
            line = call + " 599 " + word + " " + word;
        } else {
            word = call;
            line = "W1AW 5NN " + word + " " + word;
        }
        const Audio tx = minimodemTransmit(kCallUp + line + "\r\n", 45.45, 12000);
        exchanges.push_back({word, padded(scaledToRms(tx, kRms), 1.0, 1.5)});
        findPrintSpan(exchanges.back());
    }
    return exchanges;
}

std::string upper(std::string s) {
    for (char& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return s;
}

// The text printed while the call-up prints, while the exchange line prints, and on the
// noise before and after the transmission.
struct Printed {
    std::string callUp;
    std::string line;
    std::string noise;
};

Printed printed(const KestrelResult& result, const Exchange& e) {
    Printed out;
    for (const KestrelPost& p : result.posts) {
        if (p.code != kestrel::TXM_CHAR || fromThePlayer(p, result)) continue;
        std::string& part = p.sample < e.printFrom || p.sample > e.printTo ? out.noise
                            : p.sample < e.lineFrom                        ? out.callUp
                                                                           : out.line;
        part += kestrel::utf8FromUnit(static_cast<char16_t>(p.value));
    }
    return out;
}

// The printed text split into the plain text and the contents of its braces.
struct Split {
    std::string plain;
    std::vector<std::string> braces;
};

Split split(const std::string& text) {
    Split out;
    std::size_t at = 0;
    while (at < text.size()) {
        const std::size_t open = text.find(" { ", at);
        const std::size_t close = open == std::string::npos ? open : text.find(" } ", open);
        if (close == std::string::npos) {
            out.plain += text.substr(at);
            break;
        }
        out.plain += text.substr(at, open - at) + " ";
        out.braces.push_back(text.substr(open + 3, close - open - 3));
        at = close + 3;
    }
    return out;
}

struct Row {
    int plainWrong = 0, rescued = 0, wrongPrints = 0, braces = 0, noiseBraces = 0;
    std::size_t errorsWithout = 0, errorsWith = 0, characters = 0;
};

Row measure(const std::vector<Exchange>& exchanges, double snrDb) {
    const KestrelSettings settings = measuredSettings();
    Row row;
    std::uint64_t seed = 5000 + static_cast<std::uint64_t>(10 * (snrDb + 50));
    for (const Exchange& e : exchanges) {
        Audio audio = e.clean;
        addNoise(audio, kRms * kRms, snrDb, seed += 101);
        const Printed text = printed(kestrelDecode(limitedToPeak(audio, 32000.0), settings), e);
        const Split s = split(text.line);
        const auto callUpBraces = static_cast<int>(split(text.callUp).braces.size());
        row.wrongPrints += callUpBraces;
        row.braces += callUpBraces;
        row.noiseBraces += static_cast<int>(split(text.noise).braces.size());
        const bool wrong = messageErrors(e.word + " " + e.word, s.plain) > 0;
        const std::size_t without = messageErrors(e.word, s.plain);
        bool right = false;
        for (const std::string& b : s.braces) {
            const bool ok = upper(b) == e.word;
            right = right || ok;
            row.wrongPrints += ok ? 0 : 1;
        }
        row.braces += static_cast<int>(s.braces.size());
        row.plainWrong += wrong ? 1 : 0;
        row.rescued += wrong && right ? 1 : 0;
        row.errorsWithout += without;
        row.errorsWith +=
            s.braces.empty() ? without : messageErrors(e.word, upper(s.braces.back()));
        row.characters += e.word.size();
    }
    return row;
}

}  // namespace

int main(int argc, char** argv) {
    int count = 40;
    for (int i = 1; i + 1 < argc; ++i)
        if (std::strcmp(argv[i], "--exchanges") == 0) count = std::atoi(argv[++i]);
    const std::vector<Exchange> exchanges = corpus(count);
    std::printf("%d exchanges, each word sent twice; Selectiv, white noise, 45.45 baud\n\n", count);
    std::printf(
        "| SNR dB | plain wrong | right in braces (of those) | wrong braces | braces |"
        " CER without | CER with | braces on the noise |\n");
    std::printf("|---:|---:|---:|---:|---:|---:|---:|---:|\n");
    for (const double snr : {-8.0, -6.0, -4.0, -2.0, 0.0, 2.0, 4.0, 6.0}) {
        const Row r = measure(exchanges, snr);
        const double n = static_cast<double>(r.characters);
        std::printf("| %+.0f | %d | %d | %d | %d | %.3f | %.3f | %d |\n", snr, r.plainWrong,
                    r.rescued, r.wrongPrints, r.braces, r.errorsWithout / n, r.errorsWith / n,
                    r.noiseBraces);
        std::fflush(stdout);
    }
    return 0;
}
