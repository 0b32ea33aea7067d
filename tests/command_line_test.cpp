// Reading the program's arguments: what runs, and what is refused before anything runs.
#include "command_line/command_line.h"

#include <gtest/gtest.h>

#include <QDir>

#include "support/qt_print.h"

namespace rosterly {
namespace {

CommandLine parsed(QStringList arguments) {
    arguments.prepend(QStringLiteral("rosterly"));
    return parseCommandLine(arguments);
}

TEST(CommandLineTest, HarvestOptionsTakeTheWindowsFieldsAndBoxes) {
    const CommandLine line =
        parsed({"-i", "in.txt", "--input", "more/", "-o", "list.doc", "-s", "2.5", "-a", "-e"});
    ASSERT_EQ(line.action, CommandLine::Action::Harvest) << line.error.toStdString();
    const HarvestOptions& o = line.options;
    EXPECT_EQ(o.inputs, (QStringList{"in.txt", "more/"}));
    EXPECT_EQ(o.output, "list.doc");
    EXPECT_FALSE(o.urlMode());
    EXPECT_TRUE(o.split);
    EXPECT_EQ(o.pieceSizeText, "2.5");
    EXPECT_TRUE(o.sort);
    EXPECT_FALSE(o.domain);
    EXPECT_TRUE(o.everyAddress);
    EXPECT_TRUE(o.readDirectories);
}

TEST(CommandLineTest, DomainWithIgnoredDomainAndUrl) {
    CommandLine line =
        parsed({"-i", "in.txt", "-o", "list.doc", "-d", "--ignore", " Example.COM "});
    ASSERT_EQ(line.action, CommandLine::Action::Harvest) << line.error.toStdString();
    EXPECT_TRUE(line.options.domain);
    EXPECT_TRUE(line.options.ignored.enabled);
    EXPECT_EQ(line.options.ignored.text, " Example.COM ");

    line = parsed({"--url", "http://example.test/page", "-o", "list.doc"});
    ASSERT_EQ(line.action, CommandLine::Action::Harvest) << line.error.toStdString();
    EXPECT_TRUE(line.options.urlMode());
    EXPECT_EQ(line.options.url, "http://example.test/page");
}

TEST(CommandLineTest, LeadingTildeMeansHome) {
    const CommandLine line = parsed({"-i", "~/in.txt", "-o", "~/lists/out.doc"});
    ASSERT_EQ(line.action, CommandLine::Action::Harvest);
    EXPECT_EQ(line.options.inputs, QStringList{QDir::homePath() + "/in.txt"});
    EXPECT_EQ(line.options.output, QDir::homePath() + "/lists/out.doc");
}

TEST(CommandLineTest, HelpAndVersion) {
    EXPECT_EQ(parsed({"--help"}).action, CommandLine::Action::Help);
    EXPECT_EQ(parsed({"-h"}).action, CommandLine::Action::Help);
    EXPECT_EQ(parsed({"--version"}).action, CommandLine::Action::Version);
    EXPECT_EQ(parsed({"-v"}).action, CommandLine::Action::Version);
    const QString usage = parsed({"-h"}).usage;
    EXPECT_TRUE(usage.startsWith("Usage: rosterly [options]\n")) << usage.toStdString();
    for (const char* option : {"--input", "--url", "--output", "--split", "--domain", "--ignore",
                               "--alpha", "--every", "To: A@x.io, b@y.io;c@z.io"})
        EXPECT_TRUE(usage.contains(QLatin1String(option))) << option;
}

struct Refusal {
    QStringList arguments;
    const char* error;
};

class CommandLineRefusalTest : public ::testing::TestWithParam<Refusal> {};

TEST_P(CommandLineRefusalTest, IsAUsageErrorSayingWhy) {
    const CommandLine line = parsed(GetParam().arguments);
    EXPECT_EQ(line.action, CommandLine::Action::UsageError);
    EXPECT_TRUE(line.error.contains(QLatin1String(GetParam().error))) << line.error.toStdString();
}

INSTANTIATE_TEST_SUITE_P(
    Arguments, CommandLineRefusalTest,
    ::testing::Values(
        Refusal{{"-o", "list.doc"}, "Invalid input file or address!"},
        Refusal{{"-i", "abc", "-o", "list.doc"}, "Invalid input file or address!"},
        Refusal{{"-i", "in.txt", "-i", "x", "-o", "list.doc"}, "Invalid input file or address!"},
        // Nine characters are no web address, as in the window's field.
        Refusal{{"-u", "http://ab", "-o", "list.doc"}, "Invalid input file or address!"},
        Refusal{{"-i", "in.txt"}, "Invalid output file!"},
        Refusal{{"-i", "in.txt", "-o", "l.d"}, "Invalid output file!"},
        Refusal{{"-i", "in.txt", "-u", "http://example.test/", "-o", "list.doc"}, "not both"},
        Refusal{{"-u", "http://example.test/", "-o", "list.doc", "-a"}, "files only"},
        Refusal{{"-u", "http://example.test/", "-o", "list.doc", "-s", "3"}, "files only"},
        Refusal{{"-i", "in.txt", "-o", "list.doc", "-s", "3", "-d"}, "cannot be combined"},
        Refusal{{"-i", "in.txt", "-o", "list.doc", "--ignore", "x.org"}, "needs --domain"},
        Refusal{{"-i", "in.txt", "-o", "list.doc", "stray"}, "Unexpected argument"},
        Refusal{{"-i", "in.txt", "-o", "list.doc", "--sort"}, "Unknown option"},
        Refusal{{"-i"}, "Missing value"}));

TEST(CommandLineTest, AnyArgumentMeansCommandLine) {
    char program[] = "rosterly";
    char option[] = "--help";
    char* alone[] = {program, nullptr};
    char* withOption[] = {program, option, nullptr};
    EXPECT_FALSE(wantsCommandLine(1, alone));
    EXPECT_TRUE(wantsCommandLine(2, withOption));
}

}  // namespace
}  // namespace rosterly
