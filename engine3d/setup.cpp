// Primitive set-up: for every visible triangle of a node, its gradients once, the geometry of each
// shared edge once per frame, and the values of the face on the edges that open it.
#include "engine3d/setup.h"

#include <algorithm>
#include <cassert>

#include "core/fconv.h"
#include "engine3d/raster.h"
#include "engine3d/workarea.h"

namespace {

enum Family { FAMILY_FLAT, FAMILY_AFFINE, FAMILY_ALPHA_AFFINE, FAMILY_PERSP, FAMILY_FLAT_SHADE, FAMILY_GOURAUD,
              FAMILY_PERSP_GOURAUD };

constexpr uint32_t Face_Culled = 0x01;
constexpr uint32_t Face_Replaced = 0x02;
constexpr uint32_t Vertex_Clip_Codes = 0x0C; // on or above the top row, below the bottom row
constexpr int32_t Unlit_Colour_Step = 5000;
constexpr uint32_t Flat_Light = 52;          // the light byte of a 56-byte face
constexpr Addr Shade_Table_Bytes = 0x8000;
constexpr Addr Texel_Bytes = 65536;

struct Corner {
    int32_t x, y;
    float depth;
    uint32_t clip;
    int32_t u, v;     // 16.16
    float uz, vz;     // u x depth, v x depth
    int32_t shade;    // 16.16
};

// What one face writes into the edges that open it.
struct Face_Values {
    Addr texture;
    uint16_t colour;
    uint8_t shade;
    float depth_x;
    float u_x, v_x;   // per column: float for the perspective families
    float shade_x;
};

template <typename T> T Face_Get(const uint8_t *f, size_t offset) { return Rec_Get<T>(f, offset); }

// A light byte read as a shade level: a brighter light is a lower row of the shading table, and
// nothing from the data reaches past row 31.
uint8_t Shade_Level(uint32_t light) { return uint8_t(31 - std::min<uint32_t>(light, 31)); }

uint16_t Lit_Colour(uint16_t colour, uint32_t light)
{
    uint32_t blue = std::min<uint32_t>((colour & 0x1F) + light / 4, 31);
    uint32_t green = std::min<uint32_t>(((colour >> 5) & 0x3F) + light / 2, 63);
    uint32_t red = std::min<uint32_t>((colour >> 11) + light / 4, 31);
    return uint16_t(red << 11 | green << 5 | blue);
}

uint16_t Half(uint32_t c) { return uint16_t((c >> 1) & 0x7BEF); }

// The face's colour from its texture: the texel under each corner's first coordinate word, through
// the shading row, averaged.
uint16_t Flat_Shade_Colour(Addr texture, uint8_t shade, const Corner *c)
{
    uint16_t colours[3];
    for (int i = 0; i < 3; i++) {
        uint32_t w = uint32_t(c[i].u);
        uint32_t index = ((uint32_t(c[i].u >> 16)) | ((w >> 8) & 0xFF00)) & 0xFFFF;
        uint32_t texel = Work_Area[texture + index];
        uint32_t entry = uint32_t(W_Get32(texture - Shade_Table_Bytes + (uint32_t(shade) * 256 + texel) * 4));
        colours[i] = uint16_t(entry >> 16);
    }
    return uint16_t(Half(uint32_t(Half(colours[0])) + Half(colours[1])) + Half(colours[2]));
}

Addr Edge_Between(const Addr *edges, int a, int b)
{
    int lo = std::min(a, b);
    int hi = std::max(a, b);
    if (lo == 0 && hi == 1) {
        return edges[0];
    }
    if (lo == 1 && hi == 2) {
        return edges[1];
    }
    return edges[2];
}

// Geometry of an edge, from its upper endpoint a to its lower endpoint b, half a row early so that the
// scan pass's first advance puts it at the centre of its first row.
void Setup_Edge_Geometry(uint8_t *e, const Corner &a, const Corner &b, float depth_row, float depth_col)
{
    float slope = float(int64_t(b.x) - a.x) / float(int64_t(b.y) - a.y);
    int32_t x_step = trunc_i32(slope * 4096.0f);
    EDGE_SET(e, x_step, x_step);
    EDGE_SET(e, x, trunc_i32(float(a.x) * 4096.0f - 0.5f * float(x_step)));
    float depth_step = depth_row + slope * depth_col;
    EDGE_SET(e, depth_step, depth_step);
    EDGE_SET(e, depth, a.depth - 0.5f * depth_step);
    EDGE_SET(e, flags, EDGE_GET(e, flags) | (a.clip & Vertex_Clip_Codes) | (b.clip & Vertex_Clip_Codes) << 2);
}

// An integer value along an edge: its truncated change per row, and its value half a row early.
void Edge_Int(int32_t upper, int32_t lower, int32_t rows, int32_t &value, int32_t &step)
{
    step = trunc_i32(float(int64_t(lower) - upper) / float(rows));
    value = trunc_i32(double(upper) - 0.5 * double(step));
}

void Edge_Float(float upper, float lower, int32_t rows, float &value, float &step)
{
    step = (lower - upper) / float(rows);
    value = upper - 0.5f * step;
}

void Write_Open_Values(uint8_t *e, Family family, const Face_Values &fv, const Corner &a, const Corner &b)
{
    const int32_t rows = b.y - a.y;
    EDGE_SET(e, depth_step_x, fv.depth_x);
    switch (family) {
    case FAMILY_FLAT:
    case FAMILY_FLAT_SHADE:
        EDGE_SET(e, colour, fv.colour);
        EDGE_SET(e, shade, fv.shade);
        return;
    default:
        break;
    }
    EDGE_SET(e, shade, fv.shade);
    EDGE_SET(e, level, uint8_t(0));
    EDGE_SET(e, texture, fv.texture);
    if (family == FAMILY_ALPHA_AFFINE) {
        EDGE_SET(e, colour, fv.colour);
    }
    if (family == FAMILY_PERSP || family == FAMILY_PERSP_GOURAUD) {
        float value, step;
        Edge_Float(a.uz, b.uz, rows, value, step);
        EDGE_SETF(e, u, value);
        EDGE_SETF(e, u_step, step);
        Edge_Float(a.vz, b.vz, rows, value, step);
        EDGE_SETF(e, v, value);
        EDGE_SETF(e, v_step, step);
        EDGE_SETF(e, u_step_x, fv.u_x);
        EDGE_SETF(e, v_step_x, fv.v_x);
        EDGE_SETF(e, word_88, 16.0f * fv.depth_x);
        EDGE_SETF(e, word_92, 16.0f * fv.u_x);
        EDGE_SETF(e, word_96, 16.0f * fv.v_x);
        if (family == FAMILY_PERSP_GOURAUD) {
            int32_t shade, shade_step;
            Edge_Int(a.shade, b.shade, rows, shade, shade_step);
            EDGE_SET(e, shade_x, shade);
            EDGE_SET(e, shade_step, shade_step);
            EDGE_SET(e, shade_step_x, trunc_i32(fv.shade_x));
        }
        return;
    }
    int32_t value, step;
    Edge_Int(a.u, b.u, rows, value, step);
    EDGE_SET(e, u, value);
    EDGE_SET(e, u_step, step);
    Edge_Int(a.v, b.v, rows, value, step);
    EDGE_SET(e, v, value);
    EDGE_SET(e, v_step, step);
    EDGE_SET(e, u_step_x, trunc_i32(fv.u_x));
    EDGE_SET(e, v_step_x, trunc_i32(fv.v_x));
    if (family == FAMILY_GOURAUD) {
        Edge_Int(a.shade, b.shade, rows, value, step);
        EDGE_SET(e, word_88, value);
        EDGE_SET(e, word_92, step);
        EDGE_SET(e, word_96, trunc_i32(fv.shade_x));
    }
}

// The material word of a textured node names the cache entry's data word, which names the texels; the
// shading table lies right before them. 0 when the node has no texture to draw with.
Addr Node_Texture(const uint8_t *node)
{
    Addr material = Rec_Get<Addr>(node, offsetof(OBJ_PrimNode, material));
    if (material == 0 || !W_Fits(material, 4)) {
        return 0;
    }
    Addr texture = W_GetAddr(material);
    if (texture < Shade_Table_Bytes || !W_Fits(texture - Shade_Table_Bytes, Shade_Table_Bytes + Texel_Bytes)) {
        return 0;
    }
    return texture;
}

void Setup_Faces(Addr node, Addr record, Family family)
{
    // The work area's base, read once: stores through the records' byte pointers may alias the global,
    // which would otherwise be read again at every access.
    uint8_t *const wa = Work_Area;
    const auto at = [wa](Addr a) {
        assert(a <= Work_Size);
        return wa + a;
    };
    const auto get32 = [wa](Addr a) {
        assert(W_Fits(a, 4));
        return P_Get32(wa + a);
    };
    const uint8_t *np = W_Ptr(node);
    const uint8_t *rec = W_Ptr(record);
    const bool lit = Rec_Get<int32_t>(rec, offsetof(OBJ_Record, light_count)) > 0;
    const uint32_t shade_word = Rec_Get<uint32_t>(rec, offsetof(OBJ_Record, shade));
    const uint32_t material = Rec_Get<uint32_t>(np, offsetof(OBJ_PrimNode, material));
    const bool textured = family != FAMILY_FLAT;

    Face_Values fv{};
    if (textured) {
        fv.texture = Node_Texture(np);
        if (fv.texture == 0) {
            return;
        }
    }
    if (family == FAMILY_ALPHA_AFFINE) {
        fv.colour = uint16_t(shade_word & 0x1F00);
    }

    uint32_t faces_met = 0;
    for (Addr f = Rec_Get<Addr>(np, offsetof(OBJ_PrimNode, face_chain)); f != 0; faces_met++) {
        uint8_t *fp = at(f);
        const uint32_t flags = Face_Get<uint32_t>(fp, offsetof(OBJ_Face, flags));
        f = Face_Get<Addr>(fp, offsetof(OBJ_Face, next));
        const Addr edges[3] = {Face_Get<Addr>(fp, offsetof(OBJ_Face, e0)), Face_Get<Addr>(fp, offsetof(OBJ_Face, e1)),
                               Face_Get<Addr>(fp, offsetof(OBJ_Face, e2))};
        if (flags & Face_Replaced) {
            for (Addr e : edges) {
                if (e != 0) {
                    EDGE_SET(at(e), clip, uint32_t(0));
                }
            }
            continue;
        }
        if (flags & Face_Culled) {
            continue;
        }
        const Addr vertices[3] = {Face_Get<Addr>(fp, offsetof(OBJ_Face, v0)),
                                  Face_Get<Addr>(fp, offsetof(OBJ_Face, v1)),
                                  Face_Get<Addr>(fp, offsetof(OBJ_Face, v2))};
        Corner c[3];
        for (int i = 0; i < 3; i++) {
            c[i] = Corner{};
            const uint8_t *v = at(vertices[i]);
            c[i].clip = uint32_t(P_Get32(v + offsetof(OBJ_Vertex, flags)));
            c[i].x = P_Get32(v + offsetof(OBJ_Vertex, screen_x));
            c[i].y = P_Get32(v + offsetof(OBJ_Vertex, screen_y));
            c[i].depth = Rec_Get<float>(v, offsetof(OBJ_Vertex, inverse_depth));
        }
        if (textured && ((c[0].x == c[1].x && c[0].y == c[1].y) || (c[1].x == c[2].x && c[1].y == c[2].y) ||
                         (c[0].x == c[2].x && c[0].y == c[2].y))) {
            continue;
        }
        const int64_t dx10 = int64_t(c[1].x) - c[0].x, dx21 = int64_t(c[2].x) - c[1].x;
        const int64_t dy10 = int64_t(c[1].y) - c[0].y, dy21 = int64_t(c[2].y) - c[1].y;
        const int64_t area = dx10 * dy21 - dx21 * dy10;
        if (area >= 0) {
            continue;
        }
        const float inv = 1.0f / float(area);
        auto gradient = [&](float d10, float d21, float &col, float &row) {
            col = (float(dy21) * d10 - float(dy10) * d21) * inv;
            row = -(float(dx21) * d10 - float(dx10) * d21) * inv;
        };
        float depth_col, depth_row;
        gradient(c[1].depth - c[0].depth, c[2].depth - c[1].depth, depth_col, depth_row);
        fv.depth_x = depth_col;

        // The family's face values.
        if (family == FAMILY_FLAT) {
            fv.colour = lit ? Lit_Colour(uint16_t(material), fp[Flat_Light])
                            : uint16_t(material + faces_met * uint32_t(Unlit_Colour_Step));
        } else {
            const uint8_t light = fp[offsetof(OBJ_Face, light)];
            if (family == FAMILY_ALPHA_AFFINE && !lit) {
                fv.shade = uint8_t(31 - (shade_word & 0x1F));
            } else {
                fv.shade = lit ? Shade_Level(light) : Shade_Level(shade_word & 0xFF);
            }
            for (int i = 0; i < 3; i++) {
                Addr item = Face_Get<Addr>(fp, offsetof(OBJ_Face, uv) + size_t(i) * 4);
                if (item != 0 && W_Fits(item, 8)) {
                    c[i].u = get32(item);
                    c[i].v = get32(item + 4);
                }
                c[i].shade = int32_t(uint32_t(Shade_Level(fp[offsetof(OBJ_Face, corner_light) + size_t(i)])) << 16);
            }
            float row_unused;
            if (family == FAMILY_FLAT_SHADE) {
                fv.colour = Flat_Shade_Colour(fv.texture, fv.shade, c);
            } else if (family == FAMILY_PERSP || family == FAMILY_PERSP_GOURAUD) {
                for (Corner &k : c) {
                    k.uz = float(k.u) * k.depth;
                    k.vz = float(k.v) * k.depth;
                }
                gradient(c[1].uz - c[0].uz, c[2].uz - c[1].uz, fv.u_x, row_unused);
                gradient(c[1].vz - c[0].vz, c[2].vz - c[1].vz, fv.v_x, row_unused);
            } else {
                gradient(float(int64_t(c[1].u) - c[0].u), float(int64_t(c[2].u) - c[1].u), fv.u_x, row_unused);
                gradient(float(int64_t(c[1].v) - c[0].v), float(int64_t(c[2].v) - c[1].v), fv.v_x, row_unused);
            }
            if (family == FAMILY_GOURAUD || family == FAMILY_PERSP_GOURAUD) {
                gradient(float(int64_t(c[1].shade) - c[0].shade), float(int64_t(c[2].shade) - c[1].shade), fv.shade_x,
                         row_unused);
            }
        }

        // Top, middle and bottom by screen y, in the comparisons' own order.
        int top, mid, bot;
        if (c[0].y < c[1].y) {
            if (c[2].y < c[0].y) {
                top = 2, mid = 0, bot = 1;
            } else if (c[1].y < c[2].y) {
                top = 0, mid = 1, bot = 2;
            } else {
                top = 0, mid = 2, bot = 1;
            }
        } else {
            if (c[2].y < c[1].y) {
                top = 2, mid = 1, bot = 0;
            } else if (c[0].y < c[2].y) {
                top = 1, mid = 0, bot = 2;
            } else {
                top = 1, mid = 2, bot = 0;
            }
        }
        // Visited in the vertex order, the short edges lie on the face's left.
        const bool short_left = (mid == (top + 1) % 3) && (bot == (mid + 1) % 3);
        const Addr top_mid = Edge_Between(edges, top, mid);
        const Addr mid_bot = Edge_Between(edges, mid, bot);
        const Addr top_bot = Edge_Between(edges, top, bot);
        struct Side {
            Addr edge;
            int a, b;
        };
        const Side sides[3] = {{top_mid, top, mid}, {mid_bot, mid, bot}, {top_bot, top, bot}};
        bool flat_edge[3];
        for (int i = 0; i < 3; i++) {
            const Side &s = sides[i];
            flat_edge[i] = c[s.a].y == c[s.b].y || s.edge == 0;
            if (flat_edge[i]) {
                continue;
            }
            uint8_t *e = at(s.edge);
            if (EDGE_GET(e, flags) == 0) {
                Setup_Edge_Geometry(e, c[s.a], c[s.b], depth_row, depth_col);
            }
        }
        auto open = [&](int i, Addr right) {
            if (flat_edge[i]) {
                return;
            }
            uint8_t *e = at(sides[i].edge);
            EDGE_SET(e, flags, EDGE_GET(e, flags) | EDGE_OPENS);
            EDGE_SET(e, next_right, right);
            Write_Open_Values(e, family, fv, c[sides[i].a], c[sides[i].b]);
        };
        auto close = [&](int i, uint32_t bits) {
            if (!flat_edge[i]) {
                uint8_t *e = at(sides[i].edge);
                EDGE_SET(e, flags, EDGE_GET(e, flags) | bits);
            }
        };
        if (short_left) {
            open(0, top_bot);
            open(1, top_bot);
            close(2, EDGE_CLOSES);
        } else {
            open(2, top_mid);
            close(0, EDGE_CLOSES);
            close(1, EDGE_CLOSES | EDGE_REPLACES);
            if (!flat_edge[1]) {
                EDGE_SET(at(mid_bot), predecessor, top_bot);
            }
        }
    }
}

} // namespace

void Setup_Flat(Addr node, Addr record) { Setup_Faces(node, record, FAMILY_FLAT); }
void Setup_Affine(Addr node, Addr record) { Setup_Faces(node, record, FAMILY_AFFINE); }
void Setup_Alpha_Affine(Addr node, Addr record) { Setup_Faces(node, record, FAMILY_ALPHA_AFFINE); }
void Setup_Persp(Addr node, Addr record) { Setup_Faces(node, record, FAMILY_PERSP); }
void Setup_Flat_Shade(Addr node, Addr record) { Setup_Faces(node, record, FAMILY_FLAT_SHADE); }
void Setup_Persp_Gouraud(Addr node, Addr record) { Setup_Faces(node, record, FAMILY_PERSP_GOURAUD); }

// Types 22 and 25 on an object without lights become plain affine type 24 for good, in both lists.
void Setup_Gouraud(Addr node, Addr record)
{
    uint8_t *np = W_Ptr(node);
    int32_t type = Rec_Get<int32_t>(np, offsetof(OBJ_PrimNode, type));
    bool lit = W_Get32(record + Addr(offsetof(OBJ_Record, light_count))) > 0;
    if ((type == 22 || type == 25) && !lit) {
        Rec_Set<int32_t>(np, offsetof(OBJ_PrimNode, type), 24);
        Addr edge_node = Rec_Get<Addr>(np, offsetof(OBJ_PrimNode, edge_node));
        if (edge_node != 0) {
            W_Set32(edge_node + Addr(offsetof(OBJ_EdgeNode, type)), 24);
        }
        Setup_Faces(node, record, FAMILY_AFFINE);
        return;
    }
    Setup_Faces(node, record, FAMILY_GOURAUD);
}

void Prim_Read_Sizes(int32_t type, uint32_t *face, uint32_t *edge)
{
    *face = sizeof(OBJ_Face);
    switch (type) {
    case -2: case 1: case 4: case 5: case 7: case 8: case 10: case 17: case 27:
        *face = OBJ_FLAT_FACE_SIZE;
        *edge = 60;
        break;
    case -15: case -14: case -13: case -11: case -10: case -8: case -5: case -3: case 2: case 6: case 11:
    case 18: case 21: case 24:
        *edge = 88;
        break;
    case -12: case -9: case -7: case -6: case -4: case 3: case 9: case 12: case 20: case 28: case 29:
    case 22: case 25: case 30:
        *edge = 100;
        break;
    case 23: case 26:
        *edge = 112;
        break;
    default:
        *face = 0;
        *edge = 0;
        break;
    }
}

void Build_Prims(Addr record)
{
    for (Addr node = W_GetAddr(record + Addr(offsetof(OBJ_Record, prims_a))); node != 0;) {
        const int32_t type = W_Get32(node + Addr(offsetof(OBJ_PrimNode, type)));
        switch (type) {
        case -2: case 1: case 4: case 5: case 7: case 8: case 10: case 17: case 27:
            Setup_Flat(node, record);
            break;
        case -15: case -14: case -11: case -10: case -8: case -5: case -3: case 2: case 6: case 11: case 18:
        case 21: case 24:
            Setup_Affine(node, record);
            break;
        case -13:
            Setup_Alpha_Affine(node, record);
            break;
        case -12: case -9: case -7: case -6: case -4: case 3: case 9: case 12: case 20: case 29:
            Setup_Persp(node, record);
            break;
        case 28:
            Setup_Flat_Shade(node, record);
            break;
        case 22: case 25: case 30:
            Setup_Gouraud(node, record);
            break;
        case 23: case 26:
            Setup_Persp_Gouraud(node, record);
            break;
        default:
            break;
        }
        node = W_GetAddr(node + Addr(offsetof(OBJ_PrimNode, next)));
    }
}
