// The render on built scenes.
// - The scene pass alone (walk, per-object pipeline, near clipping) on "floor" and a 20,000-triangle
//   grid: the geometry stage's own figures, with no peer.
// - Whole frames of the benchmark scenes S1-S7 and S9 at 640 x 480, one thread (S7 lit per corner by four
//   point lights, the peers lighting the same triangles their own way): ours (Render_Frame with the
//   rasteriser and the span routines) against SDL's software renderer and OSMesa (softpipe and
//   llvmpipe, each in a child process of its own) on the same triangles, when they are built in. Keyed
//   surfaces go to the peers as a texture whose texel 0 has alpha 0: OSMesa tests it (GL_GREATER 0),
//   SDL blends it. After the runs a table per scene gives ms per frame, Mpixels/s, frame-heap bytes, the
//   peer's ratio and the coverage comparison. `--png DIR` writes every renderer's frame; `--no-mesa`
//   leaves the OSMesa children out (for timing ours alone).
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cinttypes>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstdio>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#ifdef KALDER_HAVE_SDL
#include <SDL.h>
#endif
#ifdef KALDER_HAVE_OSMESA
#include <GL/gl.h>
#include <GL/osmesa.h>
#include <unistd.h>
#endif

#include "bench/summary.h"
#include "engine3d/raster.h"
#include "engine3d/render.h"
#include "engine3d/setup.h"
#include "engine3d/view.h"
#include "engine3d/workarea.h"
#include "tests/support/png16.h"
#include "tests/support/scenes.h"
#include "tests/support/span_recorder.h"
#include "tests/support/span_texture.h"

using namespace kalder_test;

namespace {

void Run(benchmark::State &state, kalder_test::SceneArea &)
{
    Render_Settings.build_obj = [](Addr) {};
    Render_Settings.list_b = nullptr;
    Render_Settings.scan_pass = [](uint16_t *) {};
    std::vector<uint16_t> frame(640 * 480);
    int64_t vertices = 0, faces = 0;
    for (auto _ : state) {
        Render_Frame(frame.data());
        vertices += nb_verts_xformed;
        faces += nb_faces_tested;
        benchmark::DoNotOptimize(Heap_Ptr);
    }
    state.counters["ms/frame"] =
        benchmark::Counter(double(state.iterations()) / 1000.0, benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
    state.counters["vertices/s"] = benchmark::Counter(double(vertices), benchmark::Counter::kIsRate);
    state.counters["faces/s"] = benchmark::Counter(double(faces), benchmark::Counter::kIsRate);
    state.counters["clipped"] = double(nb_faces_clipped);
    state.counters["drawn"] = double(nb_faces_drawn);
    Render_Settings.build_obj = Build_Prims;
    Render_Settings.list_b = Build_Prims_B;
    Render_Settings.scan_pass = Scan_Pass;
}

void BM_ScenePassFloor(benchmark::State &state)
{
    SceneArea area;
    if (LoadScene(area, "floor") < 0) {
        state.SkipWithError("the floor does not load");
        return;
    }
    Run(state, area);
}
BENCHMARK(BM_ScenePassFloor);

// 100 x 100 cells, 20,000 triangles facing the camera, all in view.
void BM_ScenePassGrid20000(benchmark::State &state)
{
    SceneArea area;
    ObjectSpec root;
    root.name = "R";
    const Mesh grid = GridMesh(-1500, 1500, 2000, 6000, 1000, 100, 100);
    if (area.Load("grid.3dc", HierarchyImage({root, MeshObject("G", 0, {0, 0, 0}, grid, 2, "CHECK")},
                                             {{"CHECK", "", 0}})) < 0) {
        state.SkipWithError("the grid does not load");
        return;
    }
    Run(state, area);
}
BENCHMARK(BM_ScenePassGrid20000);

constexpr int kWidth = 640, kHeight = 480;
constexpr size_t kPixels = size_t(kWidth) * kHeight;
constexpr size_t kArea = size_t(32) << 20;

// One projected triangle as every renderer gets it: screen positions (y down), camera depth, texture
// coordinates in texels, the flat colour (textured when `textured`), and whether it is a blended layer:
// 50%, or at its own constant alpha (the alpha types).
struct Tri {
    float x[3], y[3], z[3], u[3], v[3];
    uint16_t colour;
    bool textured, translucent, keyed;
    // Lit scenes: camera-space vertex normals, and the peers' own per-vertex light (0..1), computed
    // outside the timing for SDL; GL computes its own from the normals.
    bool lit;
    float normal[3][3];
    float light[3];
    bool constant_alpha;
    float alpha;
};

// A point light's diffuse share at a camera-space point with a unit normal: the facing cosine times
// the same linear falloff as ours, times intensity / 31.
float Peer_Light(const std::vector<SceneLight> &lights, const float *p, const float *n)
{
    float sum = 0;
    for (const SceneLight &l : lights) {
        const float d[3] = {float(l.position[0]) - p[0], float(l.position[1]) - p[1], float(l.position[2]) - p[2]};
        const float dist = std::sqrt(d[0] * d[0] + d[1] * d[1] + d[2] * d[2]);
        if (l.type != 1 || dist >= float(l.outer) || dist <= 0) {
            continue;
        }
        const float facing = (d[0] * n[0] + d[1] * n[1] + d[2] * n[2]) / dist;
        const float falloff = dist <= float(l.inner) ? 1.0f : (float(l.outer) - dist) / float(l.outer);
        sum += std::max(facing, 0.0f) * falloff * float(l.intensity) / 31.0f;
    }
    return std::min(sum, 1.0f);
}

struct SceneResult {
    int32_t triangles = 0;
    double ours_ms = 0, peer_ms = -1;
    double mesa_ms[2] = {-1, -1};  // softpipe, llvmpipe
    bool mesa_rgba[2] = {false, false};
    std::vector<uint8_t> mesa_mask[2];
    int64_t span_pixels = 0;
    uint32_t heap_bytes = 0;
    std::vector<uint8_t> ours_mask, peer_mask;
    std::vector<uint16_t> ours_frame, peer_frame;
};
std::map<std::string, SceneResult> Results;

// The front-facing triangles of a scene in the view the scene area sets, from the scene's objects in
// camera space (the camera sits at the origin, unturned).
std::vector<Tri> SceneTriangles(const std::string &name)
{
    std::vector<ObjectSpec> objects;
    std::vector<MaterialSpec> materials;
    SceneSpecs(name, objects, materials);
    const std::vector<SceneLight> lights = SceneLights(name);
    std::vector<Tri> tris;
    for (size_t o = 1; o < objects.size(); o++) {
        const ObjectSpec &obj = objects[o];
        uint16_t colour = 0;
        for (const MaterialSpec &m : materials) {
            if (m.name == obj.material) {
                colour = uint16_t(m.colour);
            }
        }
        for (size_t f = 0; f < obj.faces.size(); f++) {
            Tri t{};
            for (int k = 0; k < 3; k++) {
                const Vec3 &p = obj.vertices[size_t(obj.faces[f][size_t(k)])];
                const float x = float(p[0] + obj.position[0]), y = float(p[1] + obj.position[1]),
                            z = float(p[2] + obj.position[2]);
                t.x[k] = float(OBJ_View.centre_x) + x * OBJ_View.focal_x / z;
                t.y[k] = float(OBJ_View.centre_y) + y * OBJ_View.focal_y / z;
                t.z[k] = z;
                if (f < obj.face_uvs.size()) {
                    t.u[k] = float(obj.face_uvs[f][size_t(2 * k)]) / 65536.0f;
                    t.v[k] = float(obj.face_uvs[f][size_t(2 * k + 1)]) / 65536.0f;
                }
                // The image's vertex normals: each vertex's direction from its object's origin.
                const float length = std::sqrt(float(p[0]) * float(p[0]) + float(p[1]) * float(p[1]) + float(p[2]) * float(p[2]));
                for (int i = 0; i < 3; i++) {
                    t.normal[k][i] = length > 0 ? float(p[size_t(i)]) / length : 0.0f;
                }
                const float at[3] = {x, y, z};
                t.lit = !lights.empty();
                t.light[k] = t.lit ? Peer_Light(lights, at, t.normal[k]) : 1.0f;
            }
            // Front faces turn counter-clockwise on the screen, which is clockwise in y-down sums.
            const float area = (t.x[1] - t.x[0]) * (t.y[2] - t.y[0]) - (t.x[2] - t.x[0]) * (t.y[1] - t.y[0]);
            if (area >= 0) {
                continue;
            }
            t.colour = colour;
            t.textured = obj.type != 1;
            t.constant_alpha = obj.type == -13;
            t.translucent = obj.type == -3 || t.constant_alpha;
            t.alpha = t.constant_alpha ? float((obj.shade >> 8) & 0x1F) / 32.0f : (t.translucent ? 0.5f : 1.0f);
            t.keyed = obj.type == -5;
            tris.push_back(t);
        }
    }
    return tris;
}

double Ms(std::chrono::steady_clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

void BM_Ours(benchmark::State &state, const std::string &name)
{
    SceneArea area(kArea);
    if (LoadScene(area, name) < 0) {
        state.SkipWithError("the scene does not load");
        return;
    }
    SceneResult &r = Results[name];
    r.ours_frame.assign(kPixels, 0);
    {
        // The coverage and the span pixels, outside the timing: every span that is not background.
        SpanRecorder recorder;
        Render_Frame(r.ours_frame.data());
        r.ours_mask.assign(kPixels, 0);
        r.span_pixels = 0;
        for (const RecordedSpan &s : recorder.spans()) {
            if (s.type == 14 || s.type == 15) {
                continue;
            }
            r.span_pixels += s.count;
            std::fill_n(r.ours_mask.begin() + s.row * kWidth + s.x_start, s.count, uint8_t(1));
        }
    }
    r.triangles = nb_faces_drawn;
    const auto start = std::chrono::steady_clock::now();
    for (auto _ : state) {
        Render_Frame(r.ours_frame.data());
        benchmark::ClobberMemory();
    }
    r.ours_ms = Ms(std::chrono::steady_clock::now() - start) / double(state.iterations());
    r.heap_bytes = Heap_Ptr - Mem_libre;
    state.counters["ms/frame"] = r.ours_ms;
    state.counters["Mpixels/s"] = double(r.span_pixels) / r.ours_ms / 1000.0;
}

// The fixture texture through shading row 0, as RGB565.
std::vector<uint16_t> Row0Texture565()
{
    std::vector<uint8_t> texture(kTextureBytes);
    FillRampTable(texture.data());
    FillCheckerTexels(texture.data());
    std::vector<uint16_t> out(65536);
    for (size_t i = 0; i < out.size(); i++) {
        uint32_t entry;
        std::memcpy(&entry, texture.data() + size_t(texture[kShadeTableBytes + i]) * 4, 4);
        out[i] = uint16_t(entry >> 16);
    }
    return out;
}

// The keyed scene's leaf texture through shading row 0 as 8-bit RGBA, texel 0 with alpha 0.
std::vector<uint8_t> KeyedTextureRgba()
{
    std::vector<uint8_t> texture(kTextureBytes);
    FillRampTable(texture.data());
    FillHoledDisc(texture.data(), 120);
    std::vector<uint8_t> out(65536 * 4);
    for (size_t i = 0; i < 65536; i++) {
        const uint8_t texel = texture[kShadeTableBytes + i];
        uint32_t entry;
        std::memcpy(&entry, texture.data() + size_t(texel) * 4, 4);
        const uint32_t c = entry >> 16;
        out[i * 4] = uint8_t((c >> 11) * 255 / 31);
        out[i * 4 + 1] = uint8_t(((c >> 5) & 63) * 255 / 63);
        out[i * 4 + 2] = uint8_t((c & 31) * 255 / 31);
        out[i * 4 + 3] = texel != 0 ? 255 : 0;
    }
    return out;
}

#ifdef KALDER_HAVE_SDL
struct SdlPeer {
    SDL_Surface *surface = nullptr;
    SDL_Renderer *renderer = nullptr;
    SDL_Texture *texture = nullptr;
    SDL_Texture *keyed = nullptr;
    SdlPeer()
    {
        SDL_SetHint(SDL_HINT_RENDER_SCALE_QUALITY, "0");
        surface = SDL_CreateRGBSurfaceWithFormat(0, kWidth, kHeight, 16, SDL_PIXELFORMAT_RGB565);
        renderer = surface != nullptr ? SDL_CreateSoftwareRenderer(surface) : nullptr;
        if (renderer != nullptr) {
            texture = SDL_CreateTexture(renderer, SDL_PIXELFORMAT_RGB565, SDL_TEXTUREACCESS_STATIC, 256, 256);
            const std::vector<uint16_t> texels = Row0Texture565();
            SDL_UpdateTexture(texture, nullptr, texels.data(), 512);
            keyed = SDL_CreateTexture(renderer, SDL_PIXELFORMAT_ABGR8888, SDL_TEXTUREACCESS_STATIC, 256, 256);
            SDL_UpdateTexture(keyed, nullptr, KeyedTextureRgba().data(), 1024);
            SDL_SetTextureBlendMode(keyed, SDL_BLENDMODE_BLEND);
        }
    }
    ~SdlPeer()
    {
        SDL_DestroyTexture(texture);
        SDL_DestroyTexture(keyed);
        SDL_DestroyRenderer(renderer);
        SDL_FreeSurface(surface);
    }
    bool ok() const { return texture != nullptr && keyed != nullptr; }

    // Draws the triangles far to near in batches of one kind; `white` draws them untextured in white.
    void Draw(const std::vector<Tri> &tris, bool white)
    {
        SDL_SetRenderDrawColor(renderer, 0, 0, 0, 255);
        SDL_RenderClear(renderer);
        std::vector<SDL_Vertex> batch;
        int kind = -1;
        auto flush = [&] {
            if (batch.empty()) {
                return;
            }
            SDL_Texture *t = (kind & 4) != 0 ? keyed : (kind & 1) != 0 ? texture : nullptr;
            if (t == texture) {
                SDL_SetTextureBlendMode(t, (kind & 2) != 0 ? SDL_BLENDMODE_BLEND : SDL_BLENDMODE_NONE);
            }
            SDL_RenderGeometry(renderer, t, batch.data(), int(batch.size()), nullptr, 0);
            batch.clear();
        };
        for (const Tri &tri : tris) {
            const int k = white ? 0 : (tri.textured ? 1 : 0) | (tri.translucent ? 2 : 0) | (tri.keyed ? 4 : 0);
            if (k != kind) {
                flush();
                kind = k;
            }
            const uint8_t r = uint8_t((tri.colour >> 11) * 255 / 31), g = uint8_t(((tri.colour >> 5) & 63) * 255 / 63),
                          b = uint8_t((tri.colour & 31) * 255 / 31);
            for (int i = 0; i < 3; i++) {
                SDL_Vertex v{};
                v.position = {tri.x[i], tri.y[i]};
                if (white) {
                    v.color = {255, 255, 255, 255};
                } else if (tri.textured) {
                    const uint8_t c = uint8_t(255.0f * tri.light[i]);
                    v.color = {c, c, c, uint8_t(tri.alpha >= 1.0f ? 255 : int(tri.alpha * 256.0f))};
                } else {
                    v.color = {r, g, b, 255};
                }
                v.tex_coord = {tri.u[i] / 256.0f, tri.v[i] / 256.0f};
                batch.push_back(v);
            }
        }
        flush();
        SDL_RenderFlush(renderer);
    }
    std::vector<uint16_t> Pixels() const
    {
        std::vector<uint16_t> out(kPixels);
        for (int y = 0; y < kHeight; y++) {
            std::memcpy(out.data() + size_t(y) * kWidth, static_cast<uint8_t *>(surface->pixels) + y * surface->pitch,
                        size_t(kWidth) * 2);
        }
        return out;
    }
};

void BM_Sdl(benchmark::State &state, const std::string &name)
{
    SceneArea area(kArea); // the view the triangles are projected with
    SdlPeer sdl;
    if (!sdl.ok()) {
        state.SkipWithError("SDL's software renderer is not available");
        return;
    }
    std::vector<Tri> tris = SceneTriangles(name);
    std::stable_sort(tris.begin(), tris.end(), [](const Tri &a, const Tri &b) {
        return a.z[0] + a.z[1] + a.z[2] > b.z[0] + b.z[1] + b.z[2];
    });
    SceneResult &r = Results[name];
    sdl.Draw(tris, true);
    const std::vector<uint16_t> white = sdl.Pixels();
    r.peer_mask.assign(kPixels, 0);
    for (size_t i = 0; i < kPixels; i++) {
        r.peer_mask[i] = white[i] != 0;
    }
    const auto start = std::chrono::steady_clock::now();
    for (auto _ : state) {
        sdl.Draw(tris, false);
    }
    r.peer_ms = Ms(std::chrono::steady_clock::now() - start) / double(state.iterations());
    r.peer_frame = sdl.Pixels();
    state.counters["ms/frame"] = r.peer_ms;
}
#endif


#ifdef KALDER_HAVE_OSMESA
const char *const kMesaDrivers[2] = {"softpipe", "llvmpipe"};

// One OSMesa context on a 640 x 480 RGB565 buffer (RGBA when 565 is refused), the projection of our
// view on camera space turned into GL's (x, -y, -z), near 128, far 65000.
struct MesaPeer {
    OSMesaContext context = nullptr;
    bool rgba = false;
    std::vector<uint32_t> buffer = std::vector<uint32_t>(kPixels);
    GLuint texture = 0, keyed = 0;
    MesaPeer()
    {
        context = OSMesaCreateContextExt(OSMESA_RGB_565, 16, 0, 0, nullptr);
        if (context == nullptr || !OSMesaMakeCurrent(context, buffer.data(), GL_UNSIGNED_SHORT_5_6_5, kWidth, kHeight)) {
            if (context != nullptr) {
                OSMesaDestroyContext(context);
            }
            rgba = true;
            context = OSMesaCreateContextExt(OSMESA_RGBA, 16, 0, 0, nullptr);
            if (context == nullptr || !OSMesaMakeCurrent(context, buffer.data(), GL_UNSIGNED_BYTE, kWidth, kHeight)) {
                context = nullptr;
                return;
            }
        }
        OSMesaPixelStore(OSMESA_Y_UP, 0);
        const float f = OBJ_View.focal_x, fy = OBJ_View.focal_y, near = 128, far = 65000;
        const float m[16] = {2 * f / kWidth, 0, 0, 0,
                             0, 2 * fy / kHeight, 0, 0,
                             -(2.0f * float(OBJ_View.centre_x) / kWidth - 1), -(1 - 2.0f * float(OBJ_View.centre_y) / kHeight),
                             -(far + near) / (far - near), -1,
                             0, 0, -2 * far * near / (far - near), 0};
        glViewport(0, 0, kWidth, kHeight);
        glMatrixMode(GL_PROJECTION);
        glLoadMatrixf(m);
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
        glDisable(GL_DITHER);
        glEnable(GL_DEPTH_TEST);
        glEnable(GL_CULL_FACE);
        glFrontFace(GL_CCW);
        glCullFace(GL_BACK);
        glGenTextures(1, &texture);
        glBindTexture(GL_TEXTURE_2D, texture);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_REPEAT);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_REPEAT);
        const std::vector<uint16_t> texels = Row0Texture565();
        glPixelStorei(GL_UNPACK_ALIGNMENT, 2);
        glTexImage2D(GL_TEXTURE_2D, 0, GL_RGB, 256, 256, 0, GL_RGB, GL_UNSIGNED_SHORT_5_6_5, texels.data());
        glGenTextures(1, &keyed);
        glBindTexture(GL_TEXTURE_2D, keyed);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
        glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
        glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, 256, 256, 0, GL_RGBA, GL_UNSIGNED_BYTE, KeyedTextureRgba().data());
        glAlphaFunc(GL_GREATER, 0.0f);
        glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
    }
    // GL's fixed-function lighting for a lit scene: one point light each, diffuse only, with linear
    // attenuation, in eye space (GL's y and z turned from ours).
    void Set_Lights(const std::vector<SceneLight> &lights)
    {
        lit = !lights.empty();
        const float none[4] = {0, 0, 0, 1}, white[4] = {1, 1, 1, 1};
        glLightModelfv(GL_LIGHT_MODEL_AMBIENT, none);
        glMaterialfv(GL_FRONT, GL_AMBIENT, none);
        glMaterialfv(GL_FRONT, GL_DIFFUSE, white);
        for (size_t i = 0; i < lights.size() && i < 8; i++) {
            const SceneLight &l = lights[i];
            const GLenum id = GLenum(GL_LIGHT0 + i);
            const float position[4] = {float(l.position[0]), -float(l.position[1]), -float(l.position[2]), 1};
            const float k = float(l.intensity) / 31.0f;
            const float diffuse[4] = {k, k, k, 1};
            glLightfv(id, GL_POSITION, position);
            glLightfv(id, GL_DIFFUSE, diffuse);
            glLightfv(id, GL_AMBIENT, none);
            glLightfv(id, GL_SPECULAR, none);
            glLightf(id, GL_CONSTANT_ATTENUATION, 1.0f);
            glLightf(id, GL_LINEAR_ATTENUATION, 2.0f / float(l.outer));
            glEnable(id);
        }
    }
    bool lit = false;
    ~MesaPeer()
    {
        if (context != nullptr) {
            OSMesaDestroyContext(context);
        }
    }
    // Opaque triangles first with depth writes, then the 50% layers blended without them.
    void Draw(const std::vector<Tri> &tris, bool white)
    {
        glClearColor(0, 0, 0, 1);
        glDepthMask(GL_TRUE);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        for (int pass = 0; pass < 2; pass++) {
            const bool blended = pass == 1 && !white;
            if (blended) {
                glEnable(GL_BLEND);
                glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
                glDepthMask(GL_FALSE);
            }
            if (lit && !white) {
                glEnable(GL_LIGHTING);
            } else {
                glDisable(GL_LIGHTING);
            }
            // Untextured, textured, and keyed through the alpha test.
            for (int textured = 0; textured < 3; textured++) {
                if (textured != 0 && !white) {
                    glEnable(GL_TEXTURE_2D);
                    glBindTexture(GL_TEXTURE_2D, textured == 2 ? keyed : texture);
                } else {
                    glDisable(GL_TEXTURE_2D);
                }
                if (textured == 2 && !white) {
                    glEnable(GL_ALPHA_TEST);
                } else {
                    glDisable(GL_ALPHA_TEST);
                }
                glBegin(GL_TRIANGLES);
                float constant = -1; // the blend colour's alpha in force, -1 for the 50% function
                for (const Tri &t : tris) {
                    const int kind = !t.textured ? 0 : t.keyed ? 2 : 1;
                    if (t.translucent != (pass == 1) || kind != textured) {
                        continue;
                    }
                    // The alpha types blend at their quad's alpha, the 50% types by the source alpha.
                    const float wanted = blended && t.constant_alpha ? t.alpha : -1;
                    if (blended && wanted != constant) {
                        glEnd();
                        if (wanted >= 0) {
                            glBlendColor(0, 0, 0, wanted);
                            glBlendFunc(GL_CONSTANT_ALPHA, GL_ONE_MINUS_CONSTANT_ALPHA);
                        } else {
                            glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
                        }
                        constant = wanted;
                        glBegin(GL_TRIANGLES);
                    }
                    if (white) {
                        glColor4f(1, 1, 1, 1);
                    } else if (t.textured) {
                        glColor4f(1, 1, 1, t.translucent ? 0.5f : 1.0f);
                    } else {
                        glColor3ub(uint8_t((t.colour >> 11) * 255 / 31), uint8_t(((t.colour >> 5) & 63) * 255 / 63),
                                   uint8_t((t.colour & 31) * 255 / 31));
                    }
                    for (int k = 0; k < 3; k++) {
                        // Our screen-space triangle turned back into camera space at its depth.
                        const float x = (t.x[k] - float(OBJ_View.centre_x)) * t.z[k] / OBJ_View.focal_x;
                        const float y = (t.y[k] - float(OBJ_View.centre_y)) * t.z[k] / OBJ_View.focal_y;
                        glTexCoord2f(t.u[k] / 256.0f, t.v[k] / 256.0f);
                        glNormal3f(t.normal[k][0], -t.normal[k][1], -t.normal[k][2]);
                        glVertex3f(x, -y, -t.z[k]);
                    }
                }
                glEnd();
            }
            if (blended) {
                glDisable(GL_BLEND);
                glDepthMask(GL_TRUE);
            }
        }
        glDisable(GL_LIGHTING);
        glFinish();
    }
    bool Covered(size_t i) const
    {
        if (rgba) {
            return (buffer[i] & 0x00FFFFFFu) != 0;
        }
        return reinterpret_cast<const uint16_t *>(buffer.data())[i] != 0;
    }
};

// The child run for one driver: every scene's ms per frame and coverage mask, into `path`.
int MesaChild(const char *path)
{
    FILE *out = std::fopen(path, "wb");
    if (out == nullptr) {
        return 1;
    }
    for (const std::string &name : BenchSceneNames()) {
        SceneArea area(kArea);
        const std::vector<Tri> tris = SceneTriangles(name);
        MesaPeer mesa;
        if (mesa.context != nullptr) {
            mesa.Set_Lights(SceneLights(name));
        }
        double ms = -1;
        std::vector<uint8_t> mask(kPixels, 0);
        if (mesa.context != nullptr) {
            mesa.Draw(tris, true);
            for (size_t i = 0; i < kPixels; i++) {
                mask[i] = mesa.Covered(i);
            }
            mesa.Draw(tris, false);
            // The median of the frames' own times over half a second, at least five frames.
            std::vector<double> times;
            const auto start = std::chrono::steady_clock::now();
            while (Ms(std::chrono::steady_clock::now() - start) < 500 || times.size() < 5) {
                const auto frame = std::chrono::steady_clock::now();
                mesa.Draw(tris, false);
                times.push_back(Ms(std::chrono::steady_clock::now() - frame));
            }
            std::nth_element(times.begin(), times.begin() + ptrdiff_t(times.size() / 2), times.end());
            ms = times[times.size() / 2];
        }
        const int32_t rgba = mesa.rgba;
        std::fwrite(&ms, sizeof ms, 1, out);
        std::fwrite(&rgba, sizeof rgba, 1, out);
        std::fwrite(mask.data(), 1, mask.size(), out);
    }
    std::fclose(out);
    return 0;
}

// Gallium's OSMesa picks its driver once per process, so each driver runs in a child of its own.
void RunMesaPeers(const char *self)
{
    // llvmpipe's thread count as the caller set it; 0 rasterises in the calling thread, as ours does.
    std::string threads = "0";
    if (const char *set = std::getenv("LP_NUM_THREADS"); set != nullptr && std::strspn(set, "0123456789") == std::strlen(set) &&
                                                         *set != '\0') {
        threads = set;
    }
    std::printf("OSMesa llvmpipe: LP_NUM_THREADS=%s\n", threads.c_str());
    for (int d = 0; d < 2; d++) {
        char path[] = "/tmp/render_bench_mesaXXXXXX";
        const int fd = mkstemp(path);
        if (fd < 0) {
            continue;
        }
        close(fd);
        const std::string command = std::string("GALLIUM_DRIVER=") + kMesaDrivers[d] + " LP_NUM_THREADS=" + threads + " '" + self +
                                    "' --mesa-child '" + path + "'";
        if (std::system(command.c_str()) == 0) {
            FILE *in = std::fopen(path, "rb");
            for (const std::string &name : BenchSceneNames()) {
                double ms = -1;
                int32_t rgba = 0;
                std::vector<uint8_t> mask(kPixels);
                if (in == nullptr || std::fread(&ms, sizeof ms, 1, in) != 1 || std::fread(&rgba, sizeof rgba, 1, in) != 1 ||
                    std::fread(mask.data(), 1, mask.size(), in) != mask.size()) {
                    break;
                }
                SceneResult &r = Results[name];
                r.mesa_ms[d] = ms;
                r.mesa_rgba[d] = rgba != 0;
                r.mesa_mask[d] = std::move(mask);
            }
            if (in != nullptr) {
                std::fclose(in);
            }
        }
        std::remove(path);
    }
}
#endif

// Pixels that differ between our mask and a peer's, and those of them off our edges.
void PrintCoverage(const char *peer_name, const std::vector<uint8_t> &ours_mask, const std::vector<uint8_t> &peer_mask)
{
    int64_t ours = 0, peer = 0, differ = 0, off_edge = 0;
    for (int y = 0; y < kHeight; y++) {
        for (int x = 0; x < kWidth; x++) {
            const size_t i = size_t(y) * kWidth + size_t(x);
            ours += ours_mask[i];
            peer += peer_mask[i];
            if (ours_mask[i] == peer_mask[i]) {
                continue;
            }
            differ++;
            bool uniform = true;
            for (int dy = -1; dy <= 1; dy++) {
                for (int dx = -1; dx <= 1; dx++) {
                    const int xx = std::clamp(x + dx, 0, kWidth - 1), yy = std::clamp(y + dy, 0, kHeight - 1);
                    uniform = uniform && ours_mask[size_t(yy) * kWidth + size_t(xx)] == ours_mask[i];
                }
            }
            off_edge += uniform;
        }
    }
    std::printf("  coverage vs %s: ours %" PRId64 ", peer %" PRId64 ", differing %" PRId64 ", off our edges %" PRId64 "%s\n",
                peer_name, ours, peer, differ, off_edge, off_edge != 0 ? " (findings to look at)" : "");
}

void PrintTable(const char *png_dir, const SummaryReporter &reporter)
{
    // Medians over the repetitions where the reporter has them; the last run's figure otherwise.
    auto median = [&](const std::string &run, double *ms) {
        auto it = reporter.figures.find(run);
        if (it != reporter.figures.end() && *ms >= 0) {
            *ms = it->second * 1e3;
        }
    };
    const double floor = reporter.figures.count("BM_MemsetFrame") != 0 ? reporter.figures.at("BM_MemsetFrame") * 1e3 : -1;
    std::printf("\nmemset of the frame (the floor): %.4f ms (%s); ms figures are medians, min-max beside them\n", floor,
                reporter.Spread("BM_MemsetFrame", 1e3, "%.4f").c_str());
    for (auto &[name, r] : Results) {
        median("BM_Frame/" + name + "/ours", &r.ours_ms);
        median("BM_Frame/" + name + "/sdl2", &r.peer_ms);
    }
    std::printf("\nWhole frames at %dx%d, one thread. SDL2: software renderer, far to near, no depth test. "
                "OSMesa: RGB565 (RGBA where marked), depth test, back faces culled. Lit scenes: SDL2 with vertex "
                "colours computed outside the timing, OSMesa with GL's per-vertex point lights.\n",
                kWidth, kHeight);
    for (const std::string &name : BenchSceneNames()) {
        auto it = Results.find(name);
        if (it == Results.end() || it->second.ours_mask.size() != kPixels) {
            continue;
        }
        const SceneResult &r = it->second;
        std::printf("%s: %" PRId32 " triangles\n", name.c_str(), r.triangles);
        std::printf("  ours:             %8.3f ms/frame  %8.1f Mpixels/s  %8" PRIu32 " frame-heap bytes  %.0fx the memset  (%s)\n",
                    r.ours_ms, double(r.span_pixels) / r.ours_ms / 1000.0, r.heap_bytes,
                    floor > 0 ? r.ours_ms / floor : 0.0, reporter.Spread("BM_Frame/" + name + "/ours", 1e3).c_str());
        if (r.peer_ms < 0) {
            std::printf("  SDL2:             not available\n");
        } else {
            std::printf("  SDL2:             %8.3f ms/frame  ratio %.2f  (%s)\n", r.peer_ms, r.peer_ms / r.ours_ms,
                        reporter.Spread("BM_Frame/" + name + "/sdl2", 1e3).c_str());
        }
        for (int d = 0; d < 2; d++) {
            const char *const labels[2] = {"OSMesa softpipe", "OSMesa llvmpipe"};
            if (r.mesa_ms[d] < 0) {
                std::printf("  %-16s  not available\n", labels[d]);
            } else {
                std::printf("  %-16s  %8.3f ms/frame  ratio %.2f%s\n", labels[d], r.mesa_ms[d], r.mesa_ms[d] / r.ours_ms,
                            r.mesa_rgba[d] ? "  (RGBA)" : "");
            }
        }
        if (r.peer_mask.size() == kPixels) {
            PrintCoverage("SDL2", r.ours_mask, r.peer_mask);
        }
        for (int d = 0; d < 2; d++) {
            if (r.mesa_mask[d].size() == kPixels) {
                PrintCoverage(d == 0 ? "OSMesa softpipe" : "OSMesa llvmpipe", r.ours_mask, r.mesa_mask[d]);
            }
        }
        if (png_dir != nullptr) {
            WritePng16(std::string(png_dir) + "/" + name + "-ours.png", r.ours_frame.data(), kWidth, kHeight, false);
            if (r.peer_frame.size() == kPixels) {
                WritePng16(std::string(png_dir) + "/" + name + "-sdl2.png", r.peer_frame.data(), kWidth, kHeight, false);
            }
        }
    }
}

} // namespace

int main(int argc, char **argv)
{
    const char *png_dir = nullptr;
    [[maybe_unused]] bool peers = true;
#ifdef KALDER_HAVE_OSMESA
    if (argc == 3 && std::strcmp(argv[1], "--mesa-child") == 0) {
        return MesaChild(argv[2]);
    }
#endif
    std::vector<char *> args;
    for (int i = 0; i < argc; i++) {
        if (std::strcmp(argv[i], "--png") == 0 && i + 1 < argc) {
            png_dir = argv[++i];
        } else if (std::strcmp(argv[i], "--no-mesa") == 0) {
            peers = false;
        } else {
            args.push_back(argv[i]);
        }
    }
    for (const std::string &name : BenchSceneNames()) {
        benchmark::RegisterBenchmark(("BM_Frame/" + name + "/ours").c_str(), BM_Ours, name)->Unit(benchmark::kMillisecond);
#ifdef KALDER_HAVE_SDL
        benchmark::RegisterBenchmark(("BM_Frame/" + name + "/sdl2").c_str(), BM_Sdl, name)->Unit(benchmark::kMillisecond);
#endif
    }
    benchmark::RegisterBenchmark("BM_MemsetFrame", BM_MemsetFrame)->Unit(benchmark::kMillisecond);
    int count = int(args.size());
    benchmark::Initialize(&count, args.data());
    SummaryReporter reporter(PickSecondsPerIteration);
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
#ifdef KALDER_HAVE_OSMESA
    char self[4096] = {};
    if (peers && readlink("/proc/self/exe", self, sizeof self - 1) > 0) {
        RunMesaPeers(self);
    }
#endif
    PrintTable(png_dir, reporter);
    return 0;
}
