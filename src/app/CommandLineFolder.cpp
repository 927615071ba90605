#include "CommandLineFolder.h"

#include <QFileInfo>

#include <cstdio>

namespace mv {
namespace {

void printUsage(const QString& problem) {
    if (!problem.isEmpty()) std::fprintf(stderr, "markvane: %s\n", qPrintable(problem));
    std::fprintf(stderr, "usage: markvane [FOLDER]\n"
                         "       markvane --open FILE.url...\n"
                         "       markvane --check-links FOLDER [--json]\n"
                         "       markvane --version\n"
                         "  FOLDER  the favorites folder for this run (the saved one is kept)\n");
}

} // namespace

std::optional<QString> CommandLineFolder(const QStringList& arguments) {
    QString folder;
    bool optionsEnded = false;
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        const QString& argument = arguments[i];
        if (!optionsEnded && argument == QLatin1String("--")) {
            optionsEnded = true;
            continue;
        }
        if (!optionsEnded && argument.startsWith(u'-')) {
            const bool help =
                argument == QLatin1String("-h") || argument == QLatin1String("--help");
            printUsage(help ? QString() : QStringLiteral("unknown option ") + argument);
            return std::nullopt;
        }
        if (!folder.isEmpty()) {
            printUsage(QStringLiteral("only one folder can be given"));
            return std::nullopt;
        }
        const QFileInfo info(argument);
        if (argument.isEmpty() || !info.isDir()) {
            printUsage(QStringLiteral("not a folder: ") + argument);
            return std::nullopt;
        }
        folder = info.absoluteFilePath();
    }
    return folder;
}

} // namespace mv
