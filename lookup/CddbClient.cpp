#include "CddbClient.h"

#include "HttpGet.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QNetworkAccessManager>
#include <QNetworkProxy>
#include <QRegularExpression>
#include <QTimer>
#include <QUrl>

namespace {

// Splits the answer into lines without their line ends.
QList<QByteArray> answerLines(const QByteArray& body) {
    QList<QByteArray> lines = body.split('\n');
    for (QByteArray& line : lines)
        if (line.endsWith('\r'))
            line.chop(1);
    if (!lines.isEmpty() && lines.back().isEmpty())
        lines.removeLast();
    return lines;
}

// The three-digit code at the start of a CDDB status line, -1 when there is none.
int statusCode(const QByteArray& line) {
    if (line.size() < 3)
        return -1;
    for (int i = 0; i < 3; ++i)
        if (line[i] < '0' || line[i] > '9')
            return -1;
    if (line.size() > 3 && line[3] != ' ' && line[3] != '\t')
        return -1;
    return line.left(3).toInt();
}

// Text as the user may read it: valid UTF-8, control characters (other than tab) removed.
QString cleanText(const QByteArray& bytes) {
    QString text = QString::fromUtf8(bytes);
    text.removeIf([](QChar c) { return c.unicode() < 0x20 && c != QLatin1Char('\t'); });
    text.remove(QChar(0x7f));
    return text;
}

QString shortened(const QByteArray& line) {
    return cleanText(line.left(120)).trimmed();
}

// Parses "category discid title"; false when the line is not a usable match.
bool parseMatchLine(const QByteArray& line, TCddbClient::Match* match) {
    const QString text = cleanText(line).trimmed();
    const QStringList words = text.split(QRegularExpression(QStringLiteral("[ \t]+")));
    if (words.size() < 2)
        return false;
    if (!TCddbClient::isValidCategory(words[0]) || !TCddbClient::isValidDiscId(words[1]))
        return false;
    match->Category = words[0];
    match->DiscId = words[1].toLower();
    const qsizetype at = text.indexOf(words[1]) + words[1].size();
    match->Title = text.mid(at).trimmed();
    return true;
}

QString cutShortText() {
    return QCoreApplication::translate(
        "TCddbClient", "The answer of the CDDB server was cut short (its final \".\" line is "
                       "missing).");
}

QByteArray encodeWord(const QString& word) {
    return QUrl::toPercentEncoding(word);
}

} // namespace

bool TCddbClient::fail(Error code, const QString& text) {
    m_error = code;
    m_errorText = text;
    return false;
}

bool TCddbClient::setOption(int option, const QString& text, int number) {
    switch (option) {
    case OptServer:
        m_server = text.trimmed();
        return true;
    case OptProxy:
        m_proxy = text.trimmed();
        return true;
    case OptUseProxy:
        m_useProxy = number != 0;
        return true;
    case OptProgram:
        m_program = text.trimmed();
        return true;
    case OptEmail:
        m_email = text.trimmed();
        return true;
    case OptProxyPort:
        m_proxyPort = (number >= 1 && number <= 65535) ? number : 80;
        return true;
    case OptScript:
        m_script = text.trimmed();
        return true;
    case OptTimeout:
        m_timeoutSeconds = number > 0 ? qMin(number, 3600) : DefaultTimeoutSeconds;
        return true;
    case OptReserved:
        return true;
    }
    return false;
}

QString TCddbClient::helloText() const {
    QString user = m_email;
    QString host = QStringLiteral("localhost");
    const qsizetype at = m_email.indexOf(QLatin1Char('@'));
    if (at >= 0) {
        user = m_email.left(at);
        host = m_email.mid(at + 1);
    }
    if (user.isEmpty())
        user = QStringLiteral("sondrel");
    if (host.isEmpty())
        host = QStringLiteral("localhost");
    QString name = m_program;
    QString version = QStringLiteral("1.0");
    const qsizetype space = m_program.lastIndexOf(QLatin1Char(' '));
    if (space > 0) {
        name = m_program.left(space).trimmed();
        version = m_program.mid(space + 1);
    }
    if (name.isEmpty())
        name = QStringLiteral("sondrel");
    QByteArray hello;
    for (const QString& part : {user, host, name, version})
        hello += (hello.isEmpty() ? "" : "+") + encodeWord(part);
    return QString::fromLatin1(hello);
}

bool TCddbClient::isValidCategory(const QString& category) {
    static const QRegularExpression re(QStringLiteral("^[A-Za-z0-9_-]{1,11}$"));
    return re.match(category).hasMatch();
}

bool TCddbClient::isValidDiscId(const QString& discId) {
    static const QRegularExpression re(QStringLiteral("^[0-9A-Fa-f]{8}$"));
    return re.match(discId).hasMatch();
}

bool TCddbClient::fetch(const QString& command, qint64 maxBytes, QByteArray* body,
                        const std::atomic<bool>* stop) {
    QString host = m_server;
    quint16 port = 80;
    // HOST:PORT, [IPv6]:PORT or a bare IPv6 address.
    static const QRegularExpression withPort(QStringLiteral("^\\[?([^\\[\\]]*?)\\]?:(\\d{1,5})$"));
    const auto m = withPort.match(m_server);
    if (!m.hasMatch() && m_server.count(QLatin1Char(':')) == 1)
        return fail(ErrOptions, QCoreApplication::translate(
                                    "TCddbClient", "The CDDB server '%1' has an invalid port.")
                                    .arg(m_server));
    if (m.hasMatch() && !(m_server.count(QLatin1Char(':')) > 1 && !m_server.startsWith('['))) {
        const int p = m.captured(2).toInt();
        if (p < 1 || p > 65535)
            return fail(ErrOptions, QCoreApplication::translate(
                                        "TCddbClient", "The CDDB server '%1' has an invalid port.")
                                        .arg(m_server));
        host = m.captured(1);
        port = quint16(p);
    } else if (m_server.startsWith('[') && m_server.endsWith(']')) {
        host = m_server.mid(1, m_server.size() - 2);
    }
    if (host.isEmpty() || host.contains(QRegularExpression(QStringLiteral("[\\s/?#@]"))))
        return fail(ErrOptions, QCoreApplication::translate(
                                    "TCddbClient", "The CDDB server '%1' is not a valid host name.")
                                    .arg(m_server));
    if (m_useProxy && m_proxy.isEmpty())
        return fail(ErrOptions,
                    QCoreApplication::translate(
                        "TCddbClient", "A proxy is to be used but no proxy address is set."));

    QString script = m_script.isEmpty() ? QStringLiteral("/~cddb/cddb.cgi") : m_script;
    if (!script.startsWith(QLatin1Char('/')))
        script.prepend(QLatin1Char('/'));
    QByteArray cmd;
    for (const QString& word : command.split(QLatin1Char(' ')))
        cmd += (cmd.isEmpty() ? "" : "+") + encodeWord(word);

    QUrl url;
    url.setScheme(QStringLiteral("http"));
    url.setHost(host);
    if (port != 80)
        url.setPort(port);
    url.setPath(QString::fromLatin1(QUrl::toPercentEncoding(script, "/~")), QUrl::StrictMode);
    url.setQuery(QString::fromLatin1("cmd=" + cmd + "&hello=" + helloText().toUtf8() + "&proto=6"),
                 QUrl::StrictMode);
    if (!url.isValid())
        return fail(ErrOptions, QCoreApplication::translate(
                                    "TCddbClient", "The CDDB server '%1' is not a valid host name.")
                                    .arg(m_server));
    // The texts name the server (or proxy) as the user gave it.
    const QString peer = m_useProxy ? m_proxy + u':' + QString::number(m_proxyPort) : m_server;
    QNetworkAccessManager manager;
    manager.setProxy(m_useProxy
                         ? QNetworkProxy(QNetworkProxy::HttpProxy, m_proxy, quint16(m_proxyPort))
                         : QNetworkProxy(QNetworkProxy::NoProxy));
    THttpGet get(&manager, m_useProxy ? QT_TRANSLATE_NOOP("THttpGet", "proxy")
                                      : QT_TRANSLATE_NOOP("THttpGet", "CDDB server"));
    get.SetPeer(peer);
    get.SetContact(m_email);

    // Everything below runs on this thread, in the local event loop.
    QEventLoop loop;
    bool done = false;
    bool stopped = false;
    QObject::connect(&get, &THttpGet::finished, &loop, [&] {
        done = true;
        loop.quit();
    });
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
        if (stop && stop->load()) {
            stopped = true;
            get.Abort();
            loop.quit();
        }
    });
    poll.start(StopPollMs);
    get.Start(url, "text/plain", maxBytes, m_timeoutSeconds);
    if (!done)
        loop.exec(QEventLoop::ExcludeUserInputEvents);
    if (stopped)
        return fail(ErrStopped,
                    QCoreApplication::translate("TCddbClient", "The lookup was stopped."));
    const THttpGet::Result& r = get.result();
    switch (r.Why) {
    case THttpGet::NoFailure:
        *body = r.Body;
        return true;
    case THttpGet::Address:
        return fail(ErrOptions, r.Error);
    case THttpGet::HttpError:
        return fail(ErrHttp, r.Error);
    case THttpGet::TooLarge:
        return fail(ErrProtocol, r.Error);
    case THttpGet::Network:
        break;
    }
    return fail(ErrNetwork, r.Error);
}

bool TCddbClient::query(const TTableOfContents& disc, int capacity, std::vector<Match>* matches,
                        const std::atomic<bool>* stop) {
    matches->clear();
    m_error = ErrNone;
    m_errorText.clear();
    if (!disc.isValid())
        return fail(ErrArgument, QCoreApplication::translate(
                                     "TCddbClient", "The table of contents cannot be used for a "
                                                    "CDDB query."));
    QByteArray body;
    const QString command = QStringLiteral("cddb query ") + disc.cddbQueryWords().replace('+', ' ');
    if (!fetch(command, MaxQueryAnswer, &body, stop))
        return false;
    QString error;
    if (!parseQueryAnswer(body, capacity, matches, &error))
        return fail(ErrProtocol, error);
    return true;
}

bool TCddbClient::read(const QString& category, const QString& discId, QString* record,
                       const std::atomic<bool>* stop) {
    record->clear();
    m_error = ErrNone;
    m_errorText.clear();
    if (!isValidCategory(category) || !isValidDiscId(discId))
        return fail(ErrArgument, QCoreApplication::translate(
                                     "TCddbClient", "The match '%1 %2' is not a valid CDDB entry.")
                                     .arg(category, discId));
    QByteArray body;
    if (!fetch(QStringLiteral("cddb read %1 %2").arg(category, discId), MaxRecordAnswer, &body,
               stop))
        return false;
    QString error;
    if (!parseReadAnswer(body, record, &error))
        return fail(ErrProtocol, error);
    return true;
}

bool TCddbClient::parseQueryAnswer(const QByteArray& body, int capacity,
                                   std::vector<Match>* matches, QString* error) {
    matches->clear();
    const QList<QByteArray> lines = answerLines(body);
    if (lines.isEmpty()) {
        *error =
            QCoreApplication::translate("TCddbClient", "The CDDB server sent an empty answer.");
        return false;
    }
    const int code = statusCode(lines[0]);
    switch (code) {
    case 200: {
        Match m;
        if (!parseMatchLine(lines[0].mid(4), &m)) {
            *error = QCoreApplication::translate(
                         "TCddbClient", "The CDDB server sent a match that cannot be read: %1")
                         .arg(shortened(lines[0]));
            return false;
        }
        if (capacity > 0)
            matches->push_back(m);
        return true;
    }
    case 202:
        return true;
    case 210:
    case 211: {
        // A list without its final "." was cut short and may lack the right match.
        const qsizetype end = lines.indexOf(QByteArray("."), 1);
        if (end < 0) {
            *error = cutShortText();
            return false;
        }
        for (qsizetype i = 1; i < end; ++i) {
            Match m;
            if (int(matches->size()) < capacity && parseMatchLine(lines[i], &m))
                matches->push_back(m);
        }
        return true;
    }
    default:
        if (code < 0)
            *error =
                QCoreApplication::translate("TCddbClient", "The answer is not a CDDB answer: %1")
                    .arg(shortened(lines[0]));
        else
            *error =
                QCoreApplication::translate("TCddbClient", "The CDDB server refused the query: %1")
                    .arg(shortened(lines[0]));
        return false;
    }
}

bool TCddbClient::parseReadAnswer(const QByteArray& body, QString* record, QString* error) {
    record->clear();
    const QList<QByteArray> lines = answerLines(body);
    if (lines.isEmpty()) {
        *error =
            QCoreApplication::translate("TCddbClient", "The CDDB server sent an empty answer.");
        return false;
    }
    const int code = statusCode(lines[0]);
    if (code != 210) {
        if (code < 0)
            *error =
                QCoreApplication::translate("TCddbClient", "The answer is not a CDDB answer: %1")
                    .arg(shortened(lines[0]));
        else
            *error = QCoreApplication::translate("TCddbClient",
                                                 "The CDDB server could not send the record: %1")
                         .arg(shortened(lines[0]));
        return false;
    }
    // A record without its final "." was cut short; its titles may be missing or cut.
    const qsizetype end = lines.indexOf(QByteArray("."), 1);
    if (end < 0) {
        *error = cutShortText();
        return false;
    }
    QStringList text;
    for (qsizetype i = 1; i < end; ++i)
        text << cleanText(lines[i]);
    *record = text.join(QLatin1Char('\n'));
    return true;
}
