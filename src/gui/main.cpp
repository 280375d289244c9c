// Quenby's start-up: the command line, the application, the main window, the event loop.
#include "gui/Icons.h"
#include "gui/MainWindow.h"
#include "gui/StartupMark.h"
#include "gui/views/SessionListView.h"
#include "monitor/Monitor.h"
#include "oradb/OraConnectDialog.h"
#include "util/HandOver.h"
#include "util/ManualLocation.h"
#include "util/Version.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QFileInfo>
#include <QIcon>
#include <QStyle>
#include <QStyleFactory>
#include <QTimer>
#include <cstdio>
#include <optional>

namespace {

enum class TCommandLine { Run, Exit, Unusable };

// The login of --connect USER@SERVER; the password comes from QUENBY_PASSWORD when it is set.
std::optional<oradb::TGivenLogin> g_startLogin;

// USER@SERVER split at its first '@' (user names have none, a server text may); an error text for
// anything else.
QString ReadConnectValue(const QString& value) {
    const qsizetype at = value.indexOf(QLatin1Char('@'));
    if (at <= 0 || at == value.size() - 1)
        return QStringLiteral("--connect needs USER@SERVER, such as system@sandbox, not '%1'.")
            .arg(value);
    const QString user = value.left(at);
    // sqlplus's USER/PASSWORD@SERVER would show the password to every user of the machine.
    if (user.contains(QLatin1Char('/')))
        return QStringLiteral("--connect takes no password: set QUENBY_PASSWORD or type it in "
                              "the login dialog.");
    oradb::TGivenLogin login;
    login.username = user.toStdString();
    login.server = value.mid(at + 1).toStdString();
    if (qEnvironmentVariableIsSet("QUENBY_PASSWORD"))
        login.password = qEnvironmentVariable("QUENBY_PASSWORD").toStdString();
    g_startLogin = login;
    return {};
}

// Reads the command line before the application object exists, so that --help and --version
// answer without a display. Qt's own options (-platform NAME, -style NAME, ...) are accepted
// here and left for QApplication.
TCommandLine ReadCommandLine(int argc, char** argv) {
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    QCommandLineParser parser;
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    parser.setApplicationDescription(
        QStringLiteral("Quenby monitors one Oracle database instance: its sessions, their "
                       "statistics, waits, SQL and locks, and the instance's parameters and "
                       "memory. The login offers the embedded sandbox instance when no Oracle "
                       "client is installed."));
    const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")},
                                  QStringLiteral("Print this help and exit."));
    const QCommandLineOption version(
        {QStringLiteral("v"), QStringLiteral("version")},
        QStringLiteral("Print the version of Quenby and of Qt and exit."));
    const QCommandLineOption connect(
        QStringLiteral("connect"),
        QStringLiteral("Log in to SERVER (a net service name, an Easy Connect text, or sandbox) as "
                       "USER at start, without the login dialog. The password comes from the "
                       "environment variable QUENBY_PASSWORD; when it is not set, the login dialog "
                       "opens with USER and SERVER filled in and asks for it. A password is never "
                       "taken from the command line."),
        QStringLiteral("USER@SERVER"));
    parser.addOption(help);
    parser.addOption(version);
    parser.addOption(connect);
    for (const char* qtOption : {"platform", "style", "stylesheet", "display", "qwindowgeometry",
                                 "qwindowtitle", "qwindowicon", "platformpluginpath", "session"}) {
        QCommandLineOption option(QString::fromLatin1(qtOption), QString(),
                                  QStringLiteral("value"));
        option.setFlags(QCommandLineOption::HiddenFromHelp);
        parser.addOption(option);
    }
    for (const char* qtSwitch : {"reverse", "widgetcount", "nograb", "dograb", "sync"}) {
        QCommandLineOption option(QString::fromLatin1(qtSwitch));
        option.setFlags(QCommandLineOption::HiddenFromHelp);
        parser.addOption(option);
    }
    const QString program = QFileInfo(QStringLiteral("/proc/self/exe")).canonicalFilePath();
    const QString helpText =
        parser.helpText()
            .replace(QLatin1String("<executable_name>"), QLatin1String("quenby"))
            .replace(QLatin1String("[options]"), QLatin1String("[OPTION ...]")) +
        QStringLiteral("\nQt's own options (-platform NAME, -style NAME, ...) are passed to Qt.\n"
                       "\nEnvironment:\n"
                       "  QUENBY_PASSWORD       the password of the --connect login\n"
                       "  QUENBY_STARTUP_MARK   a file: once the first session list is painted, "
                       "write the\n"
                       "                        milliseconds since the program started to it and "
                       "close\n"
                       "\nExit status:\n"
                       "  0  the window was closed (or the help or the version was printed)\n"
                       "  2  the command line could not be used; the usage is printed on "
                       "standard error\n"
                       "\nThe manual: %1\n")
            .arg(util::FindManual(QFileInfo(program).absolutePath()));

    if (!parser.parse(arguments) || !parser.positionalArguments().isEmpty()) {
        const QString error = parser.positionalArguments().isEmpty()
                                  ? parser.errorText()
                                  : QStringLiteral("Unexpected argument '%1'.")
                                        .arg(parser.positionalArguments().front());
        std::fprintf(stderr, "quenby: %s\n%s", qPrintable(error), qPrintable(helpText));
        return TCommandLine::Unusable;
    }
    if (parser.isSet(help)) {
        std::fputs(qPrintable(helpText), stdout);
        return TCommandLine::Exit;
    }
    if (parser.isSet(version)) {
        std::printf("quenby %s (Qt %s)\n", util::kProgramVersion, qVersion());
        return TCommandLine::Exit;
    }
    if (parser.isSet(connect)) {
        if (const QString error = ReadConnectValue(parser.value(connect)); !error.isEmpty()) {
            std::fprintf(stderr, "quenby: %s\n%s", qPrintable(error), qPrintable(helpText));
            return TCommandLine::Unusable;
        }
    }
    return TCommandLine::Run;
}

} // namespace

int main(int argc, char** argv) {
    switch (ReadCommandLine(argc, argv)) {
    case TCommandLine::Exit:
        return 0;
    case TCommandLine::Unusable:
        return 2;
    case TCommandLine::Run:
        break;
    }
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Quenby"));
    QApplication::setOrganizationName(QStringLiteral("Quenby"));
    QApplication::setApplicationVersion(QString::fromLatin1(util::kProgramVersion));
    QApplication::setWindowIcon(gui::ApplicationIcon());
    // The desktop entry's name, so that Wayland compositors match the window with its icon.
    QGuiApplication::setDesktopFileName(QStringLiteral("quenby"));
    // The desktop's own style and palette (light or dark) where the platform theme offers one;
    // Fusion, which follows the palette, where it offers none.
    if (QApplication::style() == nullptr ||
        QApplication::style()->name().compare(QStringLiteral("windows"), Qt::CaseInsensitive) == 0)
        QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    util::HandOver::install();
    gui::TFrmMain window;
    if (g_startLogin) {
        window.Monitor().SetStartLogin(*g_startLogin);
        g_startLogin.reset();
    }
    // The password is not handed on to the programs that Quenby starts.
    qunsetenv("QUENBY_PASSWORD");
    if (const QString mark = qEnvironmentVariable("QUENBY_STARTUP_MARK"); !mark.isEmpty())
        new gui::TStartupMark(window.SessionList(), mark,
                              [&window] { QTimer::singleShot(0, &window, &QWidget::close); });
    window.show();
    return app.exec();
}
