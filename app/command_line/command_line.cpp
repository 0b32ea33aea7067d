#include "command_line.h"

#include <QCommandLineParser>

#include "platform/home_path.h"

namespace rosterly {
namespace {

const QString kDescription = QStringLiteral(
    "Harvests e-mail addresses from text files or a web page into a de-duplicated list.\n"
    "Without options the window opens.\n"
    "\n"
    "Every line holding an \"@\" is cut down to one address (the last one of the line), unless\n"
    "--every cuts it into pieces first: between two consecutive \"@\" the line is cut right after\n"
    "the last of the delimiters , space : \" < > ` / ; \\ + = | ( ) & ^ % ~ $ between them.\n"
    "  To: A@x.io, b@y.io;c@z.io   gives a@x.io, b@y.io and c@z.io\n"
    "  abc@@b.c d@e.f              gives abc@@b.c and d@e.f\n"
    "  x@y.z!a@b.c                 stays one piece and gives x@y.z\n"
    "  a@b.c d@e                   gives a@b.c\n"
    "\n"
    "-i may be given more than once and may name a directory, whose regular files are read\n"
    "recursively in byte order of their paths. Exit status: 0 on success, 1 when any step\n"
    "failed, 2 for a usage error.");

struct Options {
    QCommandLineOption input{{QStringLiteral("i"), QStringLiteral("input")},
                             QStringLiteral("Harvest FILE, or every file beneath a directory."),
                             QStringLiteral("FILE")};
    QCommandLineOption url{{QStringLiteral("u"), QStringLiteral("url")},
                           QStringLiteral("Harvest the web page at URL."),
                           QStringLiteral("URL")};
    QCommandLineOption output{{QStringLiteral("o"), QStringLiteral("output")},
                              QStringLiteral("Write the list to FILE."),
                              QStringLiteral("FILE")};
    QCommandLineOption split{{QStringLiteral("s"), QStringLiteral("split")},
                             QStringLiteral("Split the list into piece files of N addresses in the "
                                            "program's directory."),
                             QStringLiteral("N")};
    QCommandLineOption domain{{QStringLiteral("d"), QStringLiteral("domain")},
                              QStringLiteral("Group the addresses by domain.")};
    QCommandLineOption ignore{QStringLiteral("ignore"),
                              QStringLiteral("With --domain, leave out the addresses of DOMAIN."),
                              QStringLiteral("DOMAIN")};
    QCommandLineOption alpha{{QStringLiteral("a"), QStringLiteral("alpha")},
                             QStringLiteral("Sort the list alphabetically.")};
    QCommandLineOption every{{QStringLiteral("e"), QStringLiteral("every")},
                             QStringLiteral("Take every address of a line, not only the last.")};
    QCommandLineOption help{{QStringLiteral("h"), QStringLiteral("help")},
                            QStringLiteral("Show this help and exit.")};
    QCommandLineOption version{{QStringLiteral("v"), QStringLiteral("version")},
                               QStringLiteral("Show the version and exit.")};
};

CommandLine usageError(CommandLine line, QString error) {
    line.action = CommandLine::Action::UsageError;
    line.error = std::move(error);
    return line;
}

}  // namespace

bool wantsCommandLine(int argc, char* argv[]) {
    (void)argv;
    return argc > 1;
}

CommandLine parseCommandLine(const QStringList& arguments) {
    const Options o;
    QCommandLineParser parser;
    parser.setApplicationDescription(kDescription);
    parser.addOptions({o.input, o.url, o.output, o.split, o.domain, o.ignore, o.alpha, o.every,
                       o.help, o.version});

    CommandLine line;
    // Qt names the program by the path it was started from; users know it by its command.
    QString help = parser.helpText();
    line.usage = QStringLiteral("Usage: rosterly [options]") + help.mid(help.indexOf(u'\n'));
    if (!parser.parse(arguments)) return usageError(line, parser.errorText());
    if (!parser.positionalArguments().isEmpty())
        return usageError(line, QStringLiteral("Unexpected argument \"%1\".")
                                    .arg(parser.positionalArguments().first()));
    if (parser.isSet(o.help)) {
        line.action = CommandLine::Action::Help;
        return line;
    }
    if (parser.isSet(o.version)) {
        line.action = CommandLine::Action::Version;
        return line;
    }

    HarvestOptions& options = line.options;
    options.url = parser.isSet(o.url) ? parser.value(o.url) : QStringLiteral("http://");
    for (const QString& input : parser.values(o.input)) options.inputs << expandHome(input);
    options.output = expandHome(parser.value(o.output));
    options.split = parser.isSet(o.split);
    options.pieceSizeText = parser.value(o.split);
    options.domain = parser.isSet(o.domain);
    options.ignored = {parser.isSet(o.ignore), parser.value(o.ignore)};
    options.sort = parser.isSet(o.alpha);
    options.everyAddress = parser.isSet(o.every);
    options.readDirectories = true;

    if (parser.isSet(o.url) && parser.isSet(o.input))
        return usageError(line, QStringLiteral("Give either --input or --url, not both."));
    if (parser.values(o.url).size() > 1)
        return usageError(line, QStringLiteral("Give one --url only."));
    if (options.urlMode() && (options.split || options.domain || options.sort))
        return usageError(line,
                          QStringLiteral("--split, --domain and --alpha apply to files only."));
    if (options.split && options.domain)
        return usageError(line, QStringLiteral("--split and --domain cannot be combined."));
    if (options.ignored.enabled && !options.domain)
        return usageError(line, QStringLiteral("--ignore needs --domain."));
    const QStringList inputs = options.inputs.isEmpty() ? QStringList{QString()} : options.inputs;
    for (const QString& input : inputs) {
        switch (checkFields(options.url, input, options.output)) {
            case FieldFault::Input:
                return usageError(line, QStringLiteral("Invalid input file or address!"));
            case FieldFault::Output:
                return usageError(line, QStringLiteral("Invalid output file!"));
            case FieldFault::None:
                break;
        }
    }
    line.action = CommandLine::Action::Harvest;
    return line;
}

}  // namespace rosterly
