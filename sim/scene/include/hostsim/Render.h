// Pictures of the scene: a software rasteriser with flat shading and a depth buffer,
// orthographic views framed to fit what is visible, written as PNG.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace hostsim {

struct RenderRequest {
    std::filesystem::path file;  // the PNG to write
    std::string vessel;          // a vessel name, or empty for the whole scene
    std::string view = "iso";    // one of viewNames()
    int width = 1024, height = 768;
    // With a vessel: also draw the vessels attached below it (a carrier's payloads).
    bool withAttached = true;
};

struct Image {
    int width = 0, height = 0;
    std::vector<std::uint8_t> rgb;  // rows top to bottom, three bytes per pixel
};

// The named views. A picture of the whole scene looks at the global frame; a picture
// of one vessel looks at that vessel's own frame, whatever its attitude.
//   side:  along +z, x to the right, y up
//   top:   down along -y, x to the right, z up
//   front: along -z, -x to the right, y up
//   iso:   from above, to the side and behind
const std::vector<std::string>& viewNames();

// The background colour; every pixel that shows nothing has it.
constexpr std::uint8_t kBackground[3] = {12, 16, 30};

// What drawing needs besides the scene, kept so that the pictures of a sequence reuse it.
struct RenderBuffers {
    // A triangle placed on the picture's samples.
    struct Placed {
        double sx[3], sy[3], z[3];
        double area;
        int x0, x1, y0, y1;
        std::uint8_t rgb[3];
    };
    std::vector<Placed> placed;
    std::vector<float> depth;            // one band of samples
    std::vector<std::uint8_t> colour;
    Image image;
};

// Whether the request's size and view can be drawn: an error text, empty when they can.
std::string checkPicture(const RenderRequest& request);

// Draws the request into an image without writing it. Returns an error text (unknown
// vessel or view, bad size), empty on success.
std::string renderImage(const RenderRequest& request, Image& image);
std::string renderImage(const RenderRequest& request, Image& image, RenderBuffers& buffers);
// Draws and writes the PNG; returns an error text, empty on success.
std::string renderPng(const RenderRequest& request);
std::string renderPng(const RenderRequest& request, RenderBuffers& buffers);
std::string writePng(const std::filesystem::path& file, const Image& image);

// Pictures at a fixed interval of simulation time, numbered from 0: for the request's
// file "out/deploy.png" they are out/deploy-0000.png, out/deploy-0001.png, ...
// Call poll after every step; it draws at most one picture per call. Added to any time
// of the run, the interval must give a later time.
class RenderSequence {
public:
    RenderSequence(RenderRequest request, double interval, double start = 0);
    // Draws the picture that is due at simTime, if any. Returns an error text, empty
    // when nothing failed.
    std::string poll(double simTime);
    const std::vector<std::filesystem::path>& written() const { return written_; }
    static std::filesystem::path numbered(const std::filesystem::path& file, int index);

private:
    RenderRequest request_;
    double interval_;
    double start_;
    double next_;
    int index_ = 0;
    std::vector<std::filesystem::path> written_;
    RenderBuffers buffers_;
};

}  // namespace hostsim
