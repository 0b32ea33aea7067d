// Reading an input's lines and reducing them to the pieces the control gets: the reader alone,
// each line whole, and every address on a line. Bytes per second over a mail-like input.
#include <benchmark/benchmark.h>

#include <QBuffer>
#include <QFile>

#include <string>
#include <utility>
#include <vector>

#include "corpus_set.h"
#include "input_lines.h"
#include "line_pieces.h"

using namespace rosterly;

namespace {

// About 64 MB: mostly text, some header lines with several addresses, signatures.
const QByteArray& mailLikeInput() {
    static const QByteArray input = [] {
        const QByteArray block =
            "From: Ann Example <ann@example.com>\r\n"
            "To: bob@example.org, Carol <carol@mail.example.net>; dave@x.io\r\n"
            "Subject: the minutes of the meeting\r\n"
            "\r\n"
            "Dear all, please find the minutes below. Questions go to the list\n"
            "or to me directly. The next meeting is on Tuesday at ten.\n"
            "Lorem ipsum dolor sit amet, consectetur adipiscing elit, sed do eiusmod\n"
            "tempor incididunt ut labore et dolore magna aliqua. Ut enim ad minim veniam,\n"
            "quis nostrud exercitation ullamco laboris nisi ut aliquip ex ea commodo.\n"
            "-- \n"
            "Ann Example | ann@example.com | +1 555 0100\n";
        QByteArray all;
        while (all.size() < (64 << 20)) all += block;
        return all;
    }();
    return input;
}

template <class PerPart>
void readAll(benchmark::State& state, const QByteArray& input, PerPart perPart) {
    QByteArray data = input;
    for (auto _ : state) {
        QBuffer buffer(&data);
        buffer.open(QIODevice::ReadOnly);
        InputLines lines(buffer);
        InputLines::Part part;
        while (lines.nextHolding('@', part) == InputLines::Step::Part) perPart(part);
    }
    state.SetBytesProcessed(state.iterations() * data.size());
}

void readerAlone(benchmark::State& state, const QByteArray* input) {
    readAll(state, *input,
            [](const InputLines::Part& part) { benchmark::DoNotOptimize(part.bytes); });
}

void pieces(benchmark::State& state, const QByteArray* input) {
    qsizetype handed = 0;
    LinePieces lines(state.range(0) != 0, [&](const BoundedLine& piece, BoundedLine::Outcome o) {
        handed += piece.standIn(o).size();
    });
    // As the reading thread hands them over: a line's last part with its end.
    readAll(state, *input, [&](const InputLines::Part& part) {
        if (part.lineEnds) {
            lines.endLine(part.bytes);
        } else {
            lines.append(part.bytes);
        }
    });
    benchmark::DoNotOptimize(handed);
}

// The mail-like input, and every corpus of the benchmark set that is built (corpus_set.h).
void registerInput(const std::string& name, const QByteArray* input) {
    benchmark::RegisterBenchmark(("readerAlone/" + name).c_str(), readerAlone, input)
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark(("pieces/" + name).c_str(), pieces, input)
        ->ArgName("every")
        ->Arg(0)
        ->Arg(1)
        ->Unit(benchmark::kMillisecond);
}

}  // namespace

int main(int argc, char** argv) {
    static std::vector<std::pair<std::string, QByteArray>> corpora;
    for (const char* name : rosterly::bench::kCorpusNames) {
        QFile file(QString::fromStdString(rosterly::bench::corpusPath(name)));
        if (file.open(QIODevice::ReadOnly)) corpora.emplace_back(name, file.readAll());
    }
    registerInput("mailLike", &mailLikeInput());
    for (const auto& [name, input] : corpora) registerInput(name, &input);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
