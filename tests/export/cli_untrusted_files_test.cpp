#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <filesystem>

#include "run_tool.h"
#include "support/temp_files.h"

namespace vellacor {
namespace {

using namespace testing;

const std::string kCli = VELLACOR_CLI;

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
