// Pictures of known scenes: their size, where something is drawn and where not, which
// of two overlapping solids is in front, the named views, PNG files on disk, picture
// sequences, and refusals of bad requests.
#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <unistd.h>

#include "HostTest.h"
#include "hostsim/Render.h"

namespace {

namespace fs = std::filesystem;

bool IsBackground(const hostsim::Image& img, int x, int y) {
    const std::uint8_t* p = &img.rgb[(size_t(y) * size_t(img.width) + size_t(x)) * 3];
    return p[0] == hostsim::kBackground[0] && p[1] == hostsim::kBackground[1] && p[2] == hostsim::kBackground[2];
}

struct PixelBox {
    int left = 1 << 30, top = 1 << 30, right = -1, bottom = -1;
    bool empty() const { return right < 0; }
    int width() const { return right - left + 1; }
    int height() const { return bottom - top + 1; }
};

// The smallest box holding every pixel that is not background.
PixelBox Drawn(const hostsim::Image& img) {
    PixelBox b;
    for (int y = 0; y < img.height; ++y)
        for (int x = 0; x < img.width; ++x)
            if (!IsBackground(img, x, y)) {
                b.left = std::min(b.left, x), b.right = std::max(b.right, x);
                b.top = std::min(b.top, y), b.bottom = std::max(b.bottom, y);
            }
    return b;
}

const std::uint8_t* Pixel(const hostsim::Image& img, int x, int y) {
    return &img.rgb[(size_t(y) * size_t(img.width) + size_t(x)) * 3];
}

class Pictures : public HostTest {
protected:
    void SetUp() override {
        HostTest::SetUp();
        dir = fs::temp_directory_path() / ("hostsim_render_test_" + std::to_string(::getpid()));
        fs::create_directories(dir);
    }
    void TearDown() override {
        std::error_code ec;
        fs::remove_all(dir, ec);
        HostTest::TearDown();
    }
    // A plain vessel showing a test mesh, placed in the global frame.
    OBJHANDLE Showing(const std::string& name, const char* mesh, const VECTOR3& pos) {
        OBJHANDLE h = make(name, "Crate");
        oapiGetVesselInterface(h)->AddMesh(mesh);
        host().setPose(h, pos, _M(1, 0, 0, 0, 1, 0, 0, 0, 1));
        return h;
    }
    hostsim::Image Render(hostsim::RenderRequest r) {
        hostsim::Image img;
        const std::string error = hostsim::renderImage(r, img);
        EXPECT_EQ(error, "");
        return img;
    }
    fs::path dir;
};

TEST_F(Pictures, AUnitCubeIsFramedInTheMiddleOfThePicture) {
    Showing("A", "Test\\Cube", _V(1.5e11, 0, 0));  // about the Sun's distance
    hostsim::RenderRequest r;
    r.view = "side";
    r.width = 200;
    r.height = 100;
    const hostsim::Image img = Render(r);
    ASSERT_EQ(img.width, 200);
    ASSERT_EQ(img.height, 100);
    ASSERT_EQ(img.rgb.size(), 200u * 100u * 3u);
    // Seen along z the cube is a square that fills the height within the margins.
    const PixelBox b = Drawn(img);
    ASSERT_FALSE(b.empty());
    EXPECT_NEAR(b.height(), 88, 2);
    EXPECT_NEAR(b.width(), 88, 2);
    EXPECT_NEAR((b.left + b.right) / 2.0, 99.5, 1.5);
    EXPECT_NEAR((b.top + b.bottom) / 2.0, 49.5, 1.5);
    EXPECT_TRUE(IsBackground(img, 0, 0));
    EXPECT_TRUE(IsBackground(img, 199, 99));
    EXPECT_FALSE(IsBackground(img, 100, 50));
}

TEST_F(Pictures, TwoVesselsApartAreDrawnWhereTheyAre) {
    Showing("Left", "Test\\Cube", _V(0, 0, 0));
    Showing("Right", "Test\\Cube", _V(9, 0, 0));
    hostsim::RenderRequest r;
    r.view = "side";
    r.width = 400;
    r.height = 100;
    const hostsim::Image img = Render(r);
    // 10 m across 352 pixels: each cube some 35 pixels wide at either end, nothing between.
    const PixelBox all = Drawn(img);
    EXPECT_NEAR(all.left, 24, 2);
    EXPECT_NEAR(all.right, 375, 2);
    for (int x = 70; x < 330; ++x)
        for (int y = 0; y < img.height; ++y) ASSERT_TRUE(IsBackground(img, x, y)) << x << "," << y;
    EXPECT_FALSE(IsBackground(img, 40, 50));
    EXPECT_FALSE(IsBackground(img, 360, 50));

    // One vessel alone is framed by itself.
    r.vessel = "Right";
    const PixelBox one = Drawn(Render(r));
    EXPECT_NEAR((one.left + one.right) / 2.0, 199.5, 1.5);
    EXPECT_NEAR(one.height(), 88, 2);
}

TEST_F(Pictures, TheNearerSolidHidesTheOneBehind) {
    // Red cube at z = 0, blue cube at z = 2 and half a metre along x: seen along +z the
    // red one is in front, seen along -z the blue one.
    Showing("A", "Test\\Cubes", _V(0, 0, 0));
    hostsim::RenderRequest r;
    r.width = r.height = 150;
    r.view = "side";
    hostsim::Image img = Render(r);
    // The overlap is the middle of the picture.
    const std::uint8_t* mid = Pixel(img, 75, 75);
    EXPECT_GT(mid[0], 100);
    EXPECT_LT(mid[2], 30);
    r.view = "front";
    img = Render(r);
    mid = Pixel(img, 75, 75);
    EXPECT_GT(mid[2], 100);
    EXPECT_LT(mid[0], 30);
}

TEST_F(Pictures, ViewsLookAlongTheirOwnAxes) {
    // A deployed solar segment: arrays 70 m along z, the truss 6 m along x.
    make("S", "Truss", {"TYPE 63", "DEPLOYANIM 0 1"});
    hostsim::RenderRequest r;
    r.vessel = "S";
    r.width = r.height = 200;
    r.view = "top";  // z up the picture
    PixelBox top = Drawn(Render(r));
    EXPECT_GT(top.height(), 170);
    EXPECT_LT(top.width(), 60);
    r.view = "side";  // along z: the truss across, the blankets edge-on
    PixelBox side = Drawn(Render(r));
    EXPECT_GT(side.width(), 170);
    EXPECT_LT(side.height(), 70);
    r.view = "front";  // the same from the other end
    PixelBox front = Drawn(Render(r));
    EXPECT_GT(front.width(), 170);
    EXPECT_LT(front.height(), 70);
    r.view = "iso";
    EXPECT_FALSE(Drawn(Render(r)).empty());
}

TEST_F(Pictures, DeploymentShowsInThePicture) {
    make("Folded", "Truss", {"TYPE 63", "DEPLOYANIM 0 0"});
    make("Spread", "Truss", {"TYPE 63", "DEPLOYANIM 0 1"});
    hostsim::RenderRequest r;
    r.view = "top";
    r.width = 100;
    r.height = 400;
    r.vessel = "Folded";
    const PixelBox folded = Drawn(Render(r));
    r.vessel = "Spread";
    const PixelBox spread = Drawn(Render(r));
    // Folded, the segment is wider (6 m of truss) than deep (2.3 m); spread, 72 m deep.
    EXPECT_GT(folded.width(), folded.height());
    EXPECT_LT(spread.width(), spread.height() / 5);
}

// Width and height from a PNG's header chunk.
bool PngSize(const fs::path& file, std::uint32_t& w, std::uint32_t& h) {
    std::ifstream in(file, std::ios::binary);
    unsigned char head[24];
    if (!in.read(reinterpret_cast<char*>(head), sizeof head)) return false;
    const unsigned char magic[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n'};
    if (!std::equal(magic, magic + 8, head) || std::string(reinterpret_cast<char*>(head + 12), 4) != "IHDR") return false;
    w = std::uint32_t(head[16]) << 24 | std::uint32_t(head[17]) << 16 | std::uint32_t(head[18]) << 8 | head[19];
    h = std::uint32_t(head[20]) << 24 | std::uint32_t(head[21]) << 16 | std::uint32_t(head[22]) << 8 | head[23];
    return true;
}

TEST_F(Pictures, PngFilesHaveTheAskedSize) {
    Showing("A", "Test\\Cube", _V(0, 0, 0));
    hostsim::RenderRequest r;
    r.file = dir / "sub" / "cube.png";
    r.width = 320;
    r.height = 240;
    ASSERT_EQ(hostsim::renderPng(r), "");
    std::uint32_t w = 0, h = 0;
    ASSERT_TRUE(PngSize(r.file, w, h));
    EXPECT_EQ(w, 320u);
    EXPECT_EQ(h, 240u);
}

TEST_F(Pictures, AnEmptySceneIsAllBackground) {
    hostsim::RenderRequest r;
    r.width = r.height = 32;
    EXPECT_TRUE(Drawn(Render(r)).empty());
}

TEST_F(Pictures, BadRequestsAreRefused) {
    Showing("A", "Test\\Cube", _V(0, 0, 0));
    hostsim::Image img;
    hostsim::RenderRequest r;
    r.view = "sideways";
    EXPECT_NE(hostsim::renderImage(r, img).find("unknown view"), std::string::npos);
    r.view = "iso";
    r.vessel = "Nobody";
    EXPECT_NE(hostsim::renderImage(r, img).find("no vessel"), std::string::npos);
    r.vessel.clear();
    r.width = 0;
    EXPECT_NE(hostsim::renderImage(r, img), "");
    r.width = 100000;
    EXPECT_NE(hostsim::renderImage(r, img), "");
    r.width = 64;
    r.file = dir / "missing-folder-is-made" / "x.png";
    EXPECT_EQ(hostsim::renderPng(r), "");
    r.file = "/proc/no/such/place.png";
    EXPECT_NE(hostsim::renderPng(r), "");
}

TEST_F(Pictures, ASequenceDrawsOnePictureEveryInterval) {
    Showing("A", "Test\\Cube", _V(0, 0, 0));
    hostsim::RenderRequest r;
    r.file = dir / "deploy.png";
    r.width = r.height = 32;
    hostsim::RenderSequence seq(r, 10.0);
    for (double t : {0.0, 5.0, 9.9999999, 10.0, 12.0, 25.0, 29.0, 30.0}) EXPECT_EQ(seq.poll(t), "") << t;
    // Due at 0, 10, 20 (drawn late at 25, once) and 30.
    ASSERT_EQ(seq.written().size(), 4u);
    EXPECT_EQ(seq.written()[0], dir / "deploy-0000.png");
    EXPECT_EQ(seq.written()[3], dir / "deploy-0003.png");
    for (const fs::path& f : seq.written()) EXPECT_TRUE(fs::exists(f)) << f;
    EXPECT_EQ(hostsim::RenderSequence::numbered("a/b.png", 12), fs::path("a/b-0012.png"));
}

}  // namespace
