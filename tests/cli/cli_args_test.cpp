#include <gtest/gtest.h>

#include <clocale>

#include "cli/cli_args.h"

namespace vellacor {
namespace {

// The shortest complete command line of each command.
const std::vector<std::vector<std::string>> kCommands = {
    {"info", "site.txt"},
    {"convert", "site.txt", "--to", "out.dxf"},
    {"render", "site.txt", "--out", "out.png"},
};

std::optional<CliArgs> withOption(std::vector<std::string> line, const std::string& option, const std::string& value) {
    line.push_back(option);
    line.push_back(value);
    return parseCliArgs(line);
}

TEST(CliArgs, IntervalTakesTheSameRangeInEveryCommand) {
    const struct {
        const char* text;
        std::optional<double> value;
    } cases[] = {
        {"0.01", 0.01}, {"0.1", 0.1},           {"600", 600.0},         {"999999999", 999999999.0},
        {"0", {}},      {"0.009", {}},          {"1e9", {}},            {"-1", {}},
        {"nan", {}},    {"inf", {}},            {"", {}},               {"2m", {}},
    };
    for (const auto& line : kCommands) {
        for (const auto& c : cases) {
            const auto args = withOption(line, "--interval", c.text);
            ASSERT_EQ(args.has_value(), c.value.has_value()) << line[0] << " --interval '" << c.text << "'";
            if (args) {
                EXPECT_EQ(args->interval, c.value) << line[0] << " " << c.text;
            }
        }
    }
}

TEST(CliArgs, NumbersAreReadTheSameInEveryLocale) {
    ASSERT_NE(std::setlocale(LC_NUMERIC, "de_DE.UTF-8"), nullptr) << "de_DE.UTF-8 missing: run scripts/bootstrap.sh";
    const auto comma = withOption(kCommands[1], "--smoothing", "0,5");
    const auto point = withOption(kCommands[1], "--smoothing", "0.5");
    const auto interval = withOption(kCommands[0], "--interval", "0,5");
    std::setlocale(LC_NUMERIC, "C");
    EXPECT_FALSE(comma);
    EXPECT_FALSE(interval);
    ASSERT_TRUE(point);
    EXPECT_EQ(point->smoothing, 0.5);
}

TEST(CliArgs, MalformedCommandLinesAreRefused) {
    const std::vector<std::vector<std::string>> bad = {
        {"info", "site.txt", "--interval"},                       // missing value
        {"convert", "site.txt", "--to"},                          // missing value, and no output
        {"info", "site.txt", "other.txt"},                        // a second file
        {"render", "a.txt", "--out", "a.png", "b.txt"},           // a second file after the options
        {"info", "--surface"},                                    // no file
        {"convert", "site.txt"},                                  // nothing to write to
        {"info", "site.txt", "--to", "out.dxf"},                  // another command's option
        {"render", "site.txt", "--out", "o.png", "--smoothing", "0.5"},
        {"convert", "site.txt", "--to", "o.dxf", "--labels"},
        {"render", "site.txt", "--out", "o.png", "--size", "15x100"},
        {"render", "site.txt", "--out", "o.png", "--size", "100x8193"},
        {"render", "site.txt", "--out", "o.png", "--size", "640"},
        {"render", "site.txt", "--out", "o.png", "--palette", "5"},
        {"render", "site.txt", "--out", "o.png", "--palette", "1.5"},
        {"render", "site.txt", "--out", "o.png", "--surface-mode", "8"},
        {"info", "site.txt", "--format", "xyz"},
        {"info", "site.txt", "--format", "hgt"},
        {"info", "site.txt", "--format", "DWG"},
        {"info", "site.txt", "--smoothing", "1.01"},
        {"convert", "site.txt", "--to", "o.dxf", "--as", "svg"},
        {"draw", "site.txt"},
        {"convert", "site.txt", "--to", "o.dxf", "--overlay", "plan.dwf"},  // only info and render overlay
        {"info", "site.txt", "--overlay"},
        {"render", "site.txt", "--out", "o.png", "--view", "side"},
        {"render", "site.txt", "--out", "o.png", "--orbit", "30"},
        {"render", "site.txt", "--out", "o.png", "--orbit", "30,361"},
        {"render", "site.txt", "--out", "o.png", "--zoom", "0"},
        {"render", "site.txt", "--out", "o.png", "--light", "3"},
        {"render", "site.txt", "--out", "o.png", "--frames", "0"},
        {"render", "site.txt", "--out", "o.png", "--frames", "2.5"},
        {"info", "site.txt", "--frames", "3"},
        {"info", "site.txt", "--view", "plan"},
        {"convert", "site.txt", "--to", "o.dxf", "--limit-polygon", "0,0;10,0"},  // not an area
        {"render", "site.txt", "--out", "o.png", "--limit-polygon", "0,0;10,0;10,nan;"},
        {"info", "site.txt", "--limit-polygon", "0,0;10,0;10,10"},
        {"volume", "a.txt", "b.txt", "c.txt"},  // a third file
        {"volume", "a.txt", "--datum", "1e6"},  // beyond any elevation
        {"volume", "a.txt", "--datum", "nan"},
        {"volume", "a.txt", "--datum", "1", "--polygon", "0,0;1,1"},  // two corners
        {"info", "a.txt", "b.txt"},                                  // only volume takes two
        {"section", "a.txt", "--datum", "1"},
    };
    for (const auto& line : bad) {
        std::string joined;
        for (const auto& a : line) joined += a + " ";
        EXPECT_FALSE(parseCliArgs(line)) << joined;
    }
}

TEST(CliArgs, FormatAnswersNameEveryReadableFormat) {
    for (const char* tag : {"PNEZD", "PENZD", "XYZ", "RAW", "USGS_DEM", "HGT", "EXE", "XML", "RASTER"}) {
        const auto r = parseCliArgs({"info", "tile.bin", "--format", tag});
        ASSERT_TRUE(r) << tag;
        EXPECT_EQ(r->format, tag);
    }
}

TEST(CliArgs, EveryValueLandsInItsField) {
    const auto r = parseCliArgs({"render", "--size", "16x8192", "--palette", "4", "site.txt", "--surface-mode", "7", "--labels",
                          "--out", "o.png", "--format", "XYZ"});
    ASSERT_TRUE(r);
    EXPECT_EQ(r->file, "site.txt");
    EXPECT_EQ(r->out, "o.png");
    EXPECT_EQ(r->format, "XYZ");
    EXPECT_EQ(r->width, 16);
    EXPECT_EQ(r->height, 8192);
    EXPECT_EQ(r->palette, 4);
    EXPECT_EQ(r->surfaceMode, SurfaceMode::Elevation);
    EXPECT_TRUE(r->has(CliSwitch::Labels));
    EXPECT_FALSE(r->has(CliSwitch::Points));

    const auto v = parseCliArgs({"render", "site.txt", "--out", "o.png", "--view", "plan", "--orbit", "-45,12.5", "--zoom",
                                 "0.5", "--light", "2"});
    ASSERT_TRUE(v);
    EXPECT_EQ(v->view, CliView::Plan);
    EXPECT_EQ(v->orbitHeading, -45.0);
    EXPECT_EQ(v->orbitPitch, 12.5);
    EXPECT_EQ(v->zoom, 0.5);
    EXPECT_EQ(v->lightMode, 2);
    EXPECT_FALSE(v->frames);
    EXPECT_EQ(parseCliArgs({"render", "site.txt", "--out", "o.png", "--frames", "360"})->frames, 360);

    const auto limited = parseCliArgs({"convert", "site.txt", "--to", "o.dxf", "--limit-polygon", "6100,5100;6900,5100.5;6500,-5e3"});
    ASSERT_EQ(limited.value().limitPolygon.size(), 3u);
    EXPECT_EQ(limited->limitPolygon[2].northing, -5000.0);

    // --to is the section's far end but convert's output.
    const auto sec = parseCliArgs({"section", "site.txt", "--from", "10230,5150.5", "--to", "-1e3,5150", "--csv", "c.csv"});
    ASSERT_TRUE(sec);
    EXPECT_EQ(sec->sectionFrom->easting, 10230);
    EXPECT_EQ(sec->sectionFrom->northing, 5150.5);
    EXPECT_EQ(sec->sectionTo->easting, -1000);
    EXPECT_EQ(sec->csv, "c.csv");
    EXPECT_TRUE(sec->out.empty());
    EXPECT_FALSE(parseCliArgs({"section", "site.txt", "--from", "1,2", "--to", "3"}));

    const auto c = parseCliArgs({"convert", "site.txt", "--as", "landxml", "--to", "o.txt", "--breaklines"});
    ASSERT_TRUE(c);
    EXPECT_EQ(c->outputFormat, ExportFormat::LandXml);
    EXPECT_TRUE(c->has(CliSwitch::Breaklines));
    EXPECT_FALSE(c->has(CliSwitch::Surface));

    const auto rain = parseCliArgs({"render", "site.txt", "--out", "o.png", "--rain", "2.5", "--seed", "4294967295"});
    ASSERT_TRUE(rain);
    EXPECT_EQ(rain->rainSeconds, 2.5);
    EXPECT_EQ(rain->seed, 4294967295u);
    EXPECT_FALSE(parseCliArgs({"render", "site.txt", "--out", "o.png", "--rain", "-1"}));
    EXPECT_FALSE(parseCliArgs({"render", "site.txt", "--out", "o.png", "--rain", "601"}));
    EXPECT_FALSE(parseCliArgs({"render", "site.txt", "--out", "o.png", "--seed", "-1"}));
    EXPECT_TRUE(parseCliArgs({"ponds", "site.txt", "--format", "XYZ"}));
    EXPECT_FALSE(parseCliArgs({"ponds", "site.txt", "--rain", "1"}));
    EXPECT_EQ(parseCliArgs({"info", "site.dxf", "--overlay", "plan.dwf"}).value().overlay, "plan.dwf");
    EXPECT_EQ(parseCliArgs({"render", "site.txt", "--overlay", "l.dxf", "--out", "o.png"}).value().overlay, "l.dxf");

    const auto two = parseCliArgs({"volume", "site.txt", "design.xml", "--format", "XYZ"});
    ASSERT_TRUE(two);
    EXPECT_EQ(two->file, "site.txt");
    EXPECT_EQ(two->secondFile, "design.xml");
    EXPECT_EQ(two->format, "XYZ");
    EXPECT_FALSE(two->datum);
    const auto level =
        parseCliArgs({"volume", "site.txt", "--datum", "-12.5", "--polygon", "0,0;10,0;10,10", "--isopach", "iso.dxf"});
    ASSERT_TRUE(level);
    EXPECT_EQ(level->datum, -12.5);
    EXPECT_TRUE(level->secondFile.empty());
    ASSERT_EQ(level->limitPolygon.size(), 3u);
    EXPECT_EQ(level->limitPolygon[1].easting, 10.0);
    EXPECT_EQ(level->isopach, "iso.dxf");
}

// --withheld (kept points a cloud withholds) and --quiet (no progress) are
// every command's, off unless given, wherever they stand.
TEST(CliArgs, EveryCommandThatOpensAFileTakesWithheldAndQuiet) {
    const std::vector<std::vector<std::string>> lines = {
        {"info", "c.las"},          {"convert", "c.las", "--to", "o.xml"}, {"render", "c.las", "--out", "o.png"},
        {"section", "c.las", "--from", "0,0", "--to", "1,1"}, {"ponds", "c.las"}, {"volume", "c.las", "d.las"},
    };
    for (const auto& [option, cliSwitch] : {std::pair{"--withheld", CliSwitch::Withheld}, {"--quiet", CliSwitch::Quiet}})
        for (std::vector<std::string> line : lines) {
            EXPECT_FALSE(parseCliArgs(line).value().has(cliSwitch)) << line[0];
            line.insert(cliSwitch == CliSwitch::Quiet ? line.end() : line.begin() + 1, option);
            const auto r = parseCliArgs(line);
            ASSERT_TRUE(r) << line[0] << " " << option;
            EXPECT_TRUE(r->has(cliSwitch));
            EXPECT_EQ(r->file, "c.las");
        }
    EXPECT_FALSE(parseCliArgs({"info", "s.txt", "--quiet=yes"}));
}

}  // namespace
}  // namespace vellacor
