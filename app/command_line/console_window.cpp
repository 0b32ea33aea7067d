#include "console_window.h"

#include <QFileInfo>

#include <csignal>

namespace rosterly {
namespace {

// Below this an input is read before a progress line would be worth the look.
constexpr qint64 kProgressWorthyBytes = qint64(4) << 20;
// Room for the progress line on a narrow terminal.
constexpr int kWidestLine = 79;

volatile std::sig_atomic_t g_interrupted = 0;

extern "C" void noteInterrupt(int) {
    g_interrupted = 1;
}

void catchInterrupts() {
    struct sigaction action {};
    action.sa_handler = noteInterrupt;
    // A second interrupt ends the program the usual way, in case the run cannot stop.
    action.sa_flags = SA_RESETHAND;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);
}

void restoreInterrupts() {
    std::signal(SIGINT, SIG_DFL);
}

QString readable(qint64 bytes) {
    if (bytes < 1024 * 1024) return QStringLiteral("%1 KiB").arg(bytes / 1024);
    return QStringLiteral("%1 MiB").arg(double(bytes) / (1024 * 1024), 0, 'f', 1);
}

}  // namespace

ConsoleWindow::ConsoleWindow(HarvestOptions options, std::FILE* progress)
    : m_options(std::move(options)), m_progress(progress) {
    g_interrupted = 0;
    catchInterrupts();
}

ConsoleWindow::~ConsoleWindow() {
    clear();
    restoreInterrupts();
}

bool ConsoleWindow::interrupted() {
    return g_interrupted != 0;
}

bool ConsoleWindow::closing() const {
    return interrupted();
}

void ConsoleWindow::showReading(const ReadingProgress& progress, bool done) {
    if (!m_progress) return;
    if (done) {
        clear();
        return;
    }
    if (progress.fileNumber == 1 && progress.bytesRead == 0)
        m_worthShowing =
            progress.fileCount > 1 || QFileInfo(progress.path).size() > kProgressWorthyBytes;
    if (m_worthShowing) draw(progress);
}

void ConsoleWindow::draw(const ReadingProgress& progress) {
    QString line = QStringLiteral("file %1 of %2, %3 read, %4 addresses: %5")
                       .arg(progress.fileNumber)
                       .arg(progress.fileCount)
                       .arg(readable(progress.bytesRead))
                       .arg(progress.accepted)
                       .arg(QFileInfo(progress.path).fileName());
    if (line.size() > kWidestLine) line = line.left(kWidestLine - 3) + QStringLiteral("...");
    const QByteArray text = line.toLocal8Bit();
    const int width = int(line.size());
    std::fprintf(m_progress, "\r%s%*s", text.constData(), std::max(0, m_drawnWidth - width), "");
    std::fflush(m_progress);
    m_drawnWidth = width;
}

void ConsoleWindow::clear() {
    if (!m_progress || m_drawnWidth == 0) return;
    std::fprintf(m_progress, "\r%*s\r", m_drawnWidth, "");
    std::fflush(m_progress);
    m_drawnWidth = 0;
}

}  // namespace rosterly
