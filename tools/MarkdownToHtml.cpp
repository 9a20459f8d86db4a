// Turns the README (Markdown) into the HTML page the window's Online Help opens in a browser,
// which shows Markdown as plain text. Run by the build:
//   markdown-to-html IN.md OUT.html TITLE
// Image addresses are kept as written (relative to the README), so the page finds the
// screenshots installed beside it.
#include <QFile>
#include <QGuiApplication>
#include <QTextDocument>
#include <cstdio>

int main(int argc, char** argv) {
    if (argc != 4) {
        std::fprintf(stderr, "usage: markdown-to-html IN.md OUT.html TITLE\n");
        return 2;
    }
    // A document lays out text with fonts, which want a GUI application; the build has no
    // display.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    QFile in(QString::fromLocal8Bit(argv[1]));
    if (!in.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "Cannot read %s: %s\n", argv[1], qPrintable(in.errorString()));
        return 1;
    }
    QTextDocument doc;
    doc.setMarkdown(QString::fromUtf8(in.readAll()), QTextDocument::MarkdownDialectGitHub);
    doc.setMetaInformation(QTextDocument::DocumentTitle, QString::fromLocal8Bit(argv[3]));
    QFile out(QString::fromLocal8Bit(argv[2]));
    const QByteArray html = doc.toHtml().toUtf8();
    if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate) || out.write(html) != html.size() ||
        !out.flush()) {
        std::fprintf(stderr, "Cannot write %s: %s\n", argv[2], qPrintable(out.errorString()));
        return 1;
    }
    return 0;
}
