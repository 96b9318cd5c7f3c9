// Files on the disk kept safe: every kind of save, made to fail part-way by a
// file-size limit, a full disk or a folder it may not write, leaves the file it
// would have replaced byte for byte with nothing beside it and says what
// failed; rasters from others that name servers or other files are refused unread.
#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <fcntl.h>

#include <filesystem>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include "export/run_tool.h"
#include "support/temp_files.h"

namespace vellacor {
namespace {

using namespace testing;

const std::string kCli = VELLACOR_CLI;
const std::string kSite = VELLACOR_SAMPLES "/sample-site.txt";
const std::string kOld = "the user's good file\n";

// A kilobyte at most per file written; SIGXFSZ ignored so the write fails with EFBIG.
ToolRun runLimited(const std::string& args) {
    return runTool("bash -c \"trap '' XFSZ; ulimit -f 1; exec " + kCli + " " + args + "\"");
}

TEST(SafeSave, AWriteThatFailsLeavesTheOldFileAsItWas) {
    struct Case {
        std::string file, args, message;
    };
    const std::string cut = " --from 10005,5100 --to 10100,5300 ";
    const Case cases[] = {
        {"site.dxf", "convert " + kSite + " --to @", "Unable to write file:\n\n@"},
        {"site.xml", "convert " + kSite + " --to @", "Unable to write file:\n\n@"},
        {"site.txt", "convert " + kSite + " --to @", "Unable to write file:\n\n@"},
        {"site.gpkg", "convert " + kSite + " --to @", "Unable to write file:\n\n@"},
        {"site.geojson", "convert " + kSite + " --crs EPSG:2193 --to @", "Unable to write file:\n\n@"},
        {"site.shp", "convert " + kSite + " --to @", "Unable to write file:\n\n@"},
        {"site.tif", "convert " + kSite + " --to @", "Unable to write file:\n\n@"},
        {"cut.dxf", "section " + kSite + cut + "--out @", "Unable to write file:\n\n@"},
        {"cut.csv", "section " + kSite + cut + "--csv @", "Unable to write file:\n\n@"},
        {"view.png", "render " + kSite + " --size 320x200 --out @", "Unable to open file for writing!\n\n@"},
    };
    for (const Case& c : cases) {
        TempDir dir;
        const std::string target = dir.write(c.file, kOld);
        const auto with = [&](std::string text) { return text.replace(text.find('@'), 1, target); };
        const ToolRun run = runLimited(with(c.args));
        EXPECT_EQ(run.exitCode, 1) << c.args << run.output;
        EXPECT_NE(run.output.find(with(c.message)), std::string::npos) << run.output;
        EXPECT_EQ(readFile(target), kOld) << c.args;
        EXPECT_EQ(namesIn(dir.path("")), std::vector<std::string>{c.file}) << c.args;

        // Without the limit the same save replaces the file and keeps its permissions.
        std::filesystem::permissions(target, std::filesystem::perms(0640));
        const ToolRun free = runTool(kCli + " " + with(c.args));
        EXPECT_EQ(free.exitCode, 0) << free.output;
        EXPECT_GT(readFile(target).size(), 1024u) << c.args;
        EXPECT_EQ(std::filesystem::status(target).permissions(), std::filesystem::perms(0640)) << c.args;
        // A shapefile comes with its index, its table and the table's encoding.
        const std::vector<std::string> made = c.file == "site.shp"
                                                  ? std::vector<std::string>{"site.cpg", "site.dbf", "site.shp", "site.shx"}
                                                  : std::vector<std::string>{c.file};
        EXPECT_EQ(namesIn(dir.path("")), made) << c.args;
    }
}

// A small file system that fills up: the failure comes as "no space" rather
// than the size limit's. Mounting one needs the right to; elsewhere it is skipped.
TEST(SafeSave, AFullDiskLeavesTheOldFileAsItWas) {
    TempDir dir;
    const std::string disk = dir.path("disk");
    std::filesystem::create_directory(disk);
    if (runTool("mount -t tmpfs -o size=64k tmpfs '" + disk + "'").exitCode != 0)
        GTEST_SKIP() << "no right to mount a small file system";
    struct Unmount {
        std::string path;
        ~Unmount() { runTool("umount '" + path + "'"); }
    } unmount{disk};
    const std::string target = disk + "/site.dxf";
    {
        std::FILE* f = std::fopen(target.c_str(), "wb");
        ASSERT_NE(f, nullptr);
        std::fputs(kOld.c_str(), f);
        std::fclose(f);
    }
    const ToolRun run = runTool(kCli + " convert " + kSite + " --to " + target);
    EXPECT_EQ(run.exitCode, 1) << run.output;
    EXPECT_EQ(run.output, "Unable to write file:\n\n" + target + "\n");
    EXPECT_EQ(readFile(target), kOld);
    EXPECT_EQ(namesIn(disk), std::vector<std::string>{"site.dxf"});
}

// A folder the user may not write: the tool says so and the old files stay.
TEST(SafeSave, AnUnwritableFolderLeavesTheOldFilesAsTheyWere) {
    TempDir dir;
    const std::string folder = dir.path("locked");
    std::filesystem::create_directory(folder);
    for (const char* name : {"site.gpkg", "site.shp", "site.dbf", "site.tif"})
        std::filesystem::permissions(dir.write(std::string("locked/") + name, kOld), std::filesystem::perms(0666));
    std::filesystem::permissions(folder, std::filesystem::perms(0555));
    std::filesystem::permissions(dir.path(""), std::filesystem::perms(0755));
    // Root writes anywhere: the tool runs as nobody then.
    const std::string asUser = ::geteuid() == 0 ? "setpriv --reuid=65534 --regid=65534 --clear-groups " : "";
    if (!asUser.empty() && runTool(asUser + "true").exitCode != 0) GTEST_SKIP() << "cannot run as another user";
    for (const char* name : {"site.gpkg", "site.shp", "site.tif"}) {
        const std::string target = folder + "/" + name;
        const ToolRun run = runTool(asUser + kCli + " convert " + kSite + " --to " + target);
        EXPECT_EQ(run.exitCode, 1) << run.output;
        EXPECT_EQ(run.output, "Unable to open file for writing!\n\n" + target + "\n");
    }
    for (const char* name : {"site.gpkg", "site.shp", "site.dbf", "site.tif"})
        EXPECT_EQ(readFile(folder + "/" + name), kOld) << name;
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder), std::filesystem::directory_iterator{}), 4);
    std::filesystem::permissions(folder, std::filesystem::perms(0755));
}

// Files that name servers or other files are refused without reading them.
// A listener on the loopback address that counts who knocked.
class LoopbackListener {
public:
    LoopbackListener() {
        fd_ = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof address;
        if (fd_ < 0 || ::bind(fd_, reinterpret_cast<sockaddr*>(&address), length) != 0 || ::listen(fd_, 8) != 0 ||
            ::getsockname(fd_, reinterpret_cast<sockaddr*>(&address), &length) != 0)
            return;
        port_ = ntohs(address.sin_port);
        ::fcntl(fd_, F_SETFL, O_NONBLOCK);
    }
    ~LoopbackListener() {
        if (fd_ >= 0) ::close(fd_);
    }
    int port() const { return port_; }
    // Connections made so far (the system completes them without an accept).
    int connections() {
        int count = 0;
        for (int c; (c = ::accept(fd_, nullptr, nullptr)) >= 0; ++count) ::close(c);
        return count;
    }

private:
    int fd_ = -1;
    int port_ = 0;
};

std::string virtualRaster(const std::string& source) {
    return "<VRTDataset rasterXSize=\"3\" rasterYSize=\"3\">\n"
           "  <GeoTransform>0, 5, 0, 15, 0, -5</GeoTransform>\n"
           "  <VRTRasterBand dataType=\"Float32\" band=\"1\">\n"
           "    <SimpleSource><SourceFilename relativeToVRT=\"0\">" +
           source +
           "</SourceFilename><SourceBand>1</SourceBand></SimpleSource>\n"
           "  </VRTRasterBand>\n</VRTDataset>\n";
}

TEST(UntrustedFiles, ARasterNamingAServerOrAnotherFileIsRefusedUnread) {
    LoopbackListener listener;
    ASSERT_GT(listener.port(), 0);
    TempDir dir;
    std::filesystem::create_directories(dir.path("elsewhere"));
    const std::string grid = dir.write("elsewhere/grid.asc",
                                       "ncols 3\nnrows 3\nxllcorner 0\nyllcorner 0\ncellsize 5\n1 2 3\n2 3 4\n3 4 5\n");
    ASSERT_EQ(runTool(kCli + " info " + grid).exitCode, 0);  // the grid itself opens
    std::filesystem::create_directories(dir.path("mail"));
    const std::string beacon = virtualRaster("/vsicurl/http://127.0.0.1:" + std::to_string(listener.port()) + "/secret.tif");
    for (const std::string name : {"beacon.vrt", "beacon.dat", "outside.vrt", "outside.dat"}) {
        const std::string file = dir.write("mail/" + name, name.starts_with("beacon") ? beacon : virtualRaster(grid));
        // A reader that follows the file to the listener would wait on it: a bounded wait.
        const ToolRun run = runTool("timeout 30 " + kCli + " info " + file + " --surface");
        EXPECT_EQ(run.exitCode, 1) << name << "\n" << run.output;
        EXPECT_EQ(run.output.find("triangles:"), std::string::npos) << name << "\n" << run.output;
        const ToolRun asRaster = runTool("timeout 30 " + kCli + " info " + file + " --format RASTER");
        EXPECT_EQ(asRaster.exitCode, 1) << name << "\n" << asRaster.output;
        EXPECT_NE(asRaster.output.find("Unable to Open File!"), std::string::npos) << name << "\n" << asRaster.output;
    }
    EXPECT_EQ(listener.connections(), 0);
    // Nothing was written beside the files.
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path("mail")), {}), 4);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path("elsewhere")), {}), 1);
}

}  // namespace
}  // namespace vellacor
