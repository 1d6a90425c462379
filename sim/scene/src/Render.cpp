// Pictures of the scene: orthographic views of the posed meshes, flat shaded with a
// depth buffer, drawn at twice the size and averaged down to smooth the edges.
#include "hostsim/Render.h"

#ifdef HOSTSIM_WITH_PNG
#include <png.h>
#endif

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>

#include "hostsim/Files.h"
#include "hostsim/Host.h"
#include "hostsim/Scene.h"

namespace hostsim {

namespace {

constexpr int kSupersample = 2;           // samples per pixel along each axis
constexpr double kMargin = 0.06;          // of the picture, on every side
constexpr int kMinSize = 16, kMaxSize = 8192;
constexpr double kAmbient = 0.22;         // light on faces turned away from the lamp
constexpr double kDiffuse = 0.78;

struct ViewAxes {
    const char* name;
    VECTOR3 right, up, forward;  // forward points away from the eye
};

VECTOR3 unit(const VECTOR3& v) { return v / std::sqrt(dotp(v, v)); }

ViewAxes lookingAlong(const char* name, const VECTOR3& forward) {
    const VECTOR3 f = unit(forward);
    const VECTOR3 right = unit(crossp(_V(0, 1, 0), f));
    return {name, right, crossp(f, right), f};
}

const std::vector<ViewAxes>& views() {
    static const std::vector<ViewAxes> all = {
        lookingAlong("iso", _V(-0.55, -0.62, 0.56)),
        {"top", _V(1, 0, 0), _V(0, 0, 1), _V(0, -1, 0)},
        {"side", _V(1, 0, 0), _V(0, 1, 0), _V(0, 0, 1)},
        {"front", _V(-1, 0, 0), _V(0, 1, 0), _V(0, 0, -1)},
    };
    return all;
}

// The lamp stands above, to the left and in front of the eye (view coordinates).
const VECTOR3 kLamp = unit(_V(-0.35, 0.6, -0.72));

struct Triangle {
    VECTOR3 p[3];  // view coordinates: right, up, depth
    Colour colour;
};

// The pose of the picture's frame: global, or one vessel's own frame.
struct Frame3 {
    VECTOR3 origin = _V(0, 0, 0);
    MATRIX3 rot = _M(1, 0, 0, 0, 1, 0, 0, 0, 1);  // frame axes as columns, in global terms
    VECTOR3 toFrame(const VECTOR3& global) const {
        const VECTOR3 d = global - origin;
        return _V(rot.m11 * d.x + rot.m21 * d.y + rot.m31 * d.z, rot.m12 * d.x + rot.m22 * d.y + rot.m32 * d.z,
                  rot.m13 * d.x + rot.m23 * d.y + rot.m33 * d.z);
    }
};

void collect(const Vessel& v, const Frame3& frame, const ViewAxes& view, std::vector<Triangle>& out) {
    for (const EvaluatedGroup& g : evaluateVessel(v, Frame::Global)) {
        const MeshGroupData& rest = g.rest();
        const Colour colour = g.source->colourOf(rest);
        for (const auto& t : rest.triangles) {
            Triangle tri;
            tri.colour = colour;
            for (int k = 0; k < 3; ++k) {
                const VECTOR3 p = frame.toFrame(g.vertices[t[k]]);
                tri.p[k] = _V(dotp(p, view.right), dotp(p, view.up), dotp(p, view.forward));
            }
            out.push_back(tri);
        }
    }
}

// With a list, not by recursion: what hangs below may be a chain thousands deep.
void collectWithAttached(const Vessel& top, const Frame3& frame, const ViewAxes& view, std::vector<Triangle>& out) {
    std::vector<const Vessel*> due = {&top};
    while (!due.empty()) {
        const Vessel* v = due.back();
        due.pop_back();
        collect(*v, frame, view, out);
        due.insert(due.end(), v->children.rbegin(), v->children.rend());
    }
}

// Draws the picture a band of rows at a time: the samples of one band (depth in single
// precision, which is plenty for the depth of a station) are all the memory it needs
// beyond the picture, whatever the picture's size.
class Raster {
public:
    Raster(int width, int height, RenderBuffers& buffers)
        : width_(width), height_(height), w_(width * kSupersample), buffers_(buffers) {}

    // Screen placement: x' = (x - cx) * scale + w/2, y' = h/2 - (y - cy) * scale.
    void frameTo(double cx, double cy, double scale) { cx_ = cx, cy_ = cy, scale_ = scale * kSupersample; }

    void draw(const std::vector<Triangle>& triangles, Image& image) {
        std::vector<Placed>& placed = buffers_.placed;
        placed.clear();
        for (const Triangle& t : triangles) place(t, placed);
        image.width = width_;
        image.height = height_;
        image.rgb.resize(size_t(width_) * size_t(height_) * 3);
        const int bandSamples = kBandRows * kSupersample;
        buffers_.depth.resize(size_t(w_) * size_t(bandSamples));
        buffers_.colour.resize(size_t(w_) * size_t(bandSamples) * 3);
        for (int row = 0; row < height_; row += kBandRows) {
            const int rows = std::min(kBandRows, height_ - row);
            const int top = row * kSupersample, bottom = (row + rows) * kSupersample - 1;
            std::fill(buffers_.depth.begin(), buffers_.depth.end(), std::numeric_limits<float>::infinity());
            for (size_t i = 0; i < buffers_.colour.size(); ++i) buffers_.colour[i] = kBackground[i % 3];
            for (const Placed& p : placed)
                if (p.y1 >= top && p.y0 <= bottom) fill(p, top, bottom);
            resolve(row, rows, image);
        }
    }

private:
    static constexpr int kBandRows = 64;  // picture rows drawn at a time

    using Placed = RenderBuffers::Placed;

    // The triangle in sample coordinates, lit, with the samples it may cover.
    void place(const Triangle& t, std::vector<Placed>& out) const {
        const VECTOR3 n = crossp(t.p[1] - t.p[0], t.p[2] - t.p[0]);
        const double len = std::sqrt(dotp(n, n));
        if (len == 0) return;
        const double light = kAmbient + kDiffuse * std::fabs(dotp(n / len, kLamp));
        if (!std::isfinite(light)) return;
        Placed p;
        p.rgb[0] = shade(t.colour.r, light), p.rgb[1] = shade(t.colour.g, light), p.rgb[2] = shade(t.colour.b, light);
        const int h = height_ * kSupersample;
        for (int k = 0; k < 3; ++k) {
            p.sx[k] = (t.p[k].x - cx_) * scale_ + w_ / 2.0;
            p.sy[k] = h / 2.0 - (t.p[k].y - cy_) * scale_;
            p.z[k] = t.p[k].z;
        }
        p.area = (p.sx[1] - p.sx[0]) * (p.sy[2] - p.sy[0]) - (p.sx[2] - p.sx[0]) * (p.sy[1] - p.sy[0]);
        // Only what lies at finite places becomes pixels, and only within the picture:
        // a number past an int's range has no pixel.
        if (p.area == 0 || !std::isfinite(p.area) || !std::isfinite(p.z[0] + p.z[1] + p.z[2]))
            return;
        auto pixel = [](double v, int last) { return int(std::clamp(v, -1.0, double(last) + 1)); };
        p.x0 = std::max(0, pixel(std::floor(std::min({p.sx[0], p.sx[1], p.sx[2]})), w_ - 1));
        p.x1 = std::min(w_ - 1, pixel(std::ceil(std::max({p.sx[0], p.sx[1], p.sx[2]})), w_ - 1));
        p.y0 = std::max(0, pixel(std::floor(std::min({p.sy[0], p.sy[1], p.sy[2]})), h - 1));
        p.y1 = std::min(h - 1, pixel(std::ceil(std::max({p.sy[0], p.sy[1], p.sy[2]})), h - 1));
        if (p.x0 <= p.x1 && p.y0 <= p.y1) out.push_back(p);
    }

    // The triangle's samples within the band's rows top .. bottom.
    void fill(const Placed& p, int top, int bottom) {
        const int y0 = std::max(p.y0, top), y1 = std::min(p.y1, bottom);
        for (int y = y0; y <= y1; ++y) {
            const double py = y + 0.5;
            for (int x = p.x0; x <= p.x1; ++x) {
                const double px = x + 0.5;
                // Barycentric weights; all of one sign inside, whichever way the triangle winds.
                const double w0 = ((p.sx[1] - px) * (p.sy[2] - py) - (p.sx[2] - px) * (p.sy[1] - py)) / p.area;
                const double w1 = ((p.sx[2] - px) * (p.sy[0] - py) - (p.sx[0] - px) * (p.sy[2] - py)) / p.area;
                const double w2 = 1 - w0 - w1;
                if (w0 < 0 || w1 < 0 || w2 < 0) continue;
                const float z = float(w0 * p.z[0] + w1 * p.z[1] + w2 * p.z[2]);
                const size_t i = size_t(y - top) * size_t(w_) + size_t(x);
                if (z >= buffers_.depth[i]) continue;
                buffers_.depth[i] = z;
                std::copy(p.rgb, p.rgb + 3, &buffers_.colour[i * 3]);
            }
        }
    }

    // Averages each block of samples of the band into one pixel of the picture.
    void resolve(int row, int rows, Image& image) const {
        constexpr int kSamples = kSupersample * kSupersample;
        for (int y = 0; y < rows; ++y)
            for (int x = 0; x < width_; ++x)
                for (int c = 0; c < 3; ++c) {
                    int sum = 0;
                    for (int dy = 0; dy < kSupersample; ++dy)
                        for (int dx = 0; dx < kSupersample; ++dx)
                            sum += buffers_.colour[(size_t(y * kSupersample + dy) * size_t(w_) + size_t(x * kSupersample + dx)) * 3 + size_t(c)];
                    image.rgb[(size_t(row + y) * size_t(width_) + size_t(x)) * 3 + size_t(c)] =
                        std::uint8_t((sum + kSamples / 2) / kSamples);
                }
    }

    static std::uint8_t shade(float channel, double light) {
        return std::uint8_t(std::clamp(channel * light, 0.0, 1.0) * 255.0 + 0.5);
    }

    int width_, height_;  // pixels
    int w_;               // samples across
    RenderBuffers& buffers_;
    double cx_ = 0, cy_ = 0, scale_ = 1;
};

}  // namespace

const std::vector<std::string>& viewNames() {
    static const std::vector<std::string> names = [] {
        std::vector<std::string> n;
        for (const ViewAxes& v : views()) n.push_back(v.name);
        return n;
    }();
    return names;
}

namespace {

const ViewAxes* findView(const std::string& name) {
    auto view = std::find_if(views().begin(), views().end(), [&](const ViewAxes& v) { return name == v.name; });
    return view == views().end() ? nullptr : &*view;
}

}  // namespace

std::string checkPicture(const RenderRequest& request) {
    if (request.width < kMinSize || request.height < kMinSize || request.width > kMaxSize || request.height > kMaxSize)
        return "picture size must be " + std::to_string(kMinSize) + " to " + std::to_string(kMaxSize) + " pixels a side";
    if (!findView(request.view)) return "unknown view '" + request.view + "' (iso, top, side or front)";
    return {};
}

std::string renderImage(const RenderRequest& request, Image& image, RenderBuffers& buffers) {
    if (std::string why = checkPicture(request); !why.empty()) return why;
    const ViewAxes* view = findView(request.view);

    Host& host = Host::instance();
    host.settlePlacements();  // the picture reads the poses of everything it shows
    std::vector<Triangle> triangles;
    Frame3 frame;
    if (request.vessel.empty()) {
        // The scene is framed about its first vessel, so that coordinates near the Sun's
        // distance keep their precision.
        if (!host.vessels().empty()) frame.origin = host.globalPosition(*host.vessels().front());
        for (const Vessel* v : host.vessels()) collect(*v, frame, *view, triangles);
    } else {
        const Vessel* v = host.vesselByName(request.vessel);
        if (!v) return "no vessel named '" + request.vessel + "'";
        frame.origin = host.globalPosition(*v);
        frame.rot = v->rot;
        if (request.withAttached)
            collectWithAttached(*v, frame, *view, triangles);
        else
            collect(*v, frame, *view, triangles);
    }

    double lo[2] = {std::numeric_limits<double>::infinity(), std::numeric_limits<double>::infinity()};
    double hi[2] = {-lo[0], -lo[1]};
    for (const Triangle& t : triangles)
        for (const VECTOR3& p : t.p) {
            lo[0] = std::min(lo[0], p.x), hi[0] = std::max(hi[0], p.x);
            lo[1] = std::min(lo[1], p.y), hi[1] = std::max(hi[1], p.y);
        }
    Raster raster(request.width, request.height, buffers);
    if (!triangles.empty()) {
        const double spanX = std::max(hi[0] - lo[0], 1e-9), spanY = std::max(hi[1] - lo[1], 1e-9);
        const double scale = std::min(request.width * (1 - 2 * kMargin) / spanX, request.height * (1 - 2 * kMargin) / spanY);
        raster.frameTo(lo[0] / 2 + hi[0] / 2, lo[1] / 2 + hi[1] / 2, scale);
    }
    raster.draw(triangles, image);
    return {};
}

std::string writePng(const std::filesystem::path& file, const Image& image) {
    if (image.width <= 0 || image.height <= 0 || image.rgb.size() != size_t(image.width) * size_t(image.height) * 3)
        return "no picture to write";
#ifndef HOSTSIM_WITH_PNG
    return "cannot write " + file.string() + ": this build of hostsim has no PNG library";
#else
    std::error_code ec;
    if (file.has_parent_path()) std::filesystem::create_directories(file.parent_path(), ec);
    png_image png{};
    png.version = PNG_IMAGE_VERSION;
    png.width = png_uint_32(image.width);
    png.height = png_uint_32(image.height);
    png.format = PNG_FORMAT_RGB;
    // Encoded in memory first (asking for the size), then written safely.
    png_alloc_size_t size = 0;
    if (png_image_write_to_memory(&png, nullptr, &size, 0, image.rgb.data(), image.width * 3, nullptr)) {
        std::string bytes(size, '\0');
        if (png_image_write_to_memory(&png, bytes.data(), &size, 0, image.rgb.data(), image.width * 3, nullptr)) {
            bytes.resize(size);
            return writeFileSafely(file, bytes);
        }
    }
    std::string why = png.message;
    png_image_free(&png);
    return "cannot encode " + file.string() + ": " + why;
#endif
}

std::string renderImage(const RenderRequest& request, Image& image) {
    RenderBuffers buffers;
    return renderImage(request, image, buffers);
}

std::string renderPng(const RenderRequest& request, RenderBuffers& buffers) {
    std::string error = renderImage(request, buffers.image, buffers);
    return error.empty() ? writePng(request.file, buffers.image) : error;
}

std::string renderPng(const RenderRequest& request) {
    RenderBuffers buffers;
    return renderPng(request, buffers);
}

RenderSequence::RenderSequence(RenderRequest request, double interval, double start)
    : request_(std::move(request)), interval_(interval > 0 ? interval : 1.0), start_(start), next_(start) {}

std::filesystem::path RenderSequence::numbered(const std::filesystem::path& file, int index) {
    char suffix[16];
    std::snprintf(suffix, sizeof suffix, "-%04d", index);
    std::filesystem::path out = file;
    const std::string ext = file.has_extension() ? file.extension().string() : ".png";
    out.replace_filename(file.stem().string() + suffix + ext);
    return out;
}

std::string RenderSequence::poll(double simTime) {
    // A tolerance of a microsecond keeps sums of step lengths from missing a due time.
    constexpr double kSlack = 1e-6;
    if (simTime + kSlack < next_) return {};
    RenderRequest r = request_;
    r.file = numbered(request_.file, index_);
    std::string error = renderPng(r, buffers_);
    if (error.empty()) written_.push_back(r.file);
    ++index_;
    // The next time after this one that the interval's multiples reach; counted, not
    // summed, so that an interval as short as a step costs no more than one.
    const double passed = std::floor((simTime + kSlack - start_) / interval_) + 1;
    next_ = std::max(start_ + passed * interval_, std::nextafter(next_, INFINITY));
    return error;
}

}  // namespace hostsim
