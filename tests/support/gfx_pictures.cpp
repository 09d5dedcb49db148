// The pictures of the magnifier, the procedural textures, the screen effects and the debug drawing.
#include "tests/support/gfx_pictures.h"

#include "core/scr.h"
#include "engine3d/boxes.h"
#include "engine3d/coll.h"
#include "engine3d/colldraw.h"
#include "engine3d/draw2d.h"
#include "engine3d/gfx_magnify.h"
#include "engine3d/gfx_screen.h"
#include "engine3d/image.h"
#include "engine3d/maths.h"
#include "engine3d/object.h"
#include "engine3d/proctex.h"
#include "engine3d/render.h"
#include "engine3d/view.h"
#include "tests/support/bytemap.h"
#include "tests/support/coll_meshes.h"
#include "tests/support/mem_file_source.h"
#include "tests/support/scenes.h"
#include "tests/support/screen_target.h"
#include "tests/support/testcard.h"

namespace kalder_test {

namespace {

Picture Canvas(int width, int height, uint16_t fill)
{
    Picture p;
    p.width = width;
    p.height = height;
    p.pixels.assign(size_t(width) * size_t(height), fill);
    return p;
}

} // namespace

std::vector<uint8_t> MagnifierTile()
{
    std::vector<uint8_t> tile(32 * 32);
    for (int i = 0; i < 32; i++) {
        for (int j = 0; j < 32; j++) {
            tile[size_t(i * 32 + j)] = (i == j || i == 31 - j) ? 250 : uint8_t(30 + (i + j) * 3);
        }
    }
    return tile;
}

std::vector<uint8_t> FlowTestTexture()
{
    std::vector<uint8_t> texture(256 * 256);
    for (int y = 0; y < 256; y++) {
        for (int x = 0; x < 256; x++) {
            uint8_t v = ((x / 32 + y / 32) & 1) != 0 ? 100 : 30;
            if ((x - y + 256) % 64 < 6) {
                v = 127;
            }
            texture[size_t(y * 256 + x)] = v;
        }
    }
    return texture;
}

Picture MagnifyPicture()
{
    constexpr int Gap = 8, Side = 256;
    Picture p = Canvas(4 * Side + 3 * Gap, 4 * Side + 3 * Gap, 0x4208);
    const std::vector<uint8_t> tile = MagnifierTile();
    std::vector<uint8_t> map(Side * Side);
    for (int r = 0; r < 4; r++) {
        for (int c = 0; c < 4; c++) {
            std::fill(map.begin(), map.end(), 0);
            GFX_MagnifyBlock(tile.data(), map.data(), 1 << r, 1 << c);
            PaintByteMap(map.data(), Side, Side, 1, p.pixels.data(), p.width, p.height, c * (Side + Gap),
                         r * (Side + Gap));
        }
    }
    return p;
}

Picture FirePicture(int steps)
{
    std::fill(std::begin(GFX_FireMap), std::end(GFX_FireMap), 0);
    GFX_FireSeed = GFX_FIRE_SEED_START;
    for (int i = 0; i < steps; i++) {
        GFX_UpdateFireTexture(GFX_FireMap, 0);
    }
    Picture p = Canvas(64 * 4, 84 * 4, 0);
    PaintByteMap(GFX_FireMap, 64, 84, 4, p.pixels.data(), p.width, p.height, 0, 0);
    return p;
}

Picture FlowPicture(int steps)
{
    std::vector<uint8_t> texture = FlowTestTexture();
    GFX_InitFlowTexture(texture.data());
    for (int i = 0; i < steps; i++) {
        GFX_StepFlowTexture(texture.data());
    }
    Picture p = Canvas(512, 512, 0);
    PaintByteMap(texture.data(), 256, 256, 2, p.pixels.data(), p.width, p.height, 0, 0);
    return p;
}

Picture ScreenEffectsPicture(int width, int height)
{
    ScreenTarget screen(width, height);
    DrawTestCard(screen.pixels(), width, height, false);
    GFX_DarkenRows(height / 4);
    GFX_BlendBarRed(200);
    GFX_BlendBarCyan(200);
    GFX_BlendBarWhite(200);
    Picture p;
    p.pixels = screen.Frame();
    p.width = width;
    p.height = height;
    return p;
}

Picture DebugDrawPicture()
{
    const OBJ_ViewParams saved = OBJ_View;
    SetGoldenView();
    OBJ_View.near_clip = 128;
    Build_Trig_Tables();
    Picture p = Canvas(320, 240, 0x18E3);
    uint16_t *frame = p.pixels.data();

    Draw_Text(frame, 8, 14, 4, 4, "Draw_Text 0123456789 !?#", 0xFFFF, 0, 0);
    Draw_Text(frame, 8, 14, 4, 20, "Bold: The quick brown fox", 0xFFE0, 0, 1);
    Draw_Text(frame, 10, 14, 4, 36, "cells of 10 {[(<>)]}", 0x07FF, 0, 0);

    // A fan in greys from inside the frame to points well beyond each border.
    for (int k = 0; k < 24; k++) {
        const int angle = k * 4096 / 24;
        const int32_t x1 = 100 + (Get_Cos(angle) * 300 >> 15);
        const int32_t y1 = 170 + (Get_Sin(angle) * 300 >> 15);
        Draw_Line(frame, 100, 170, x1, y1, uint16_t(0x4208 + (k % 8) * 0x1082));
    }

    // Three frames ahead of the camera, each turned its own way.
    const int32_t positions[3][3] = {{100, -40, 500}, {200, -10, 600}, {150, 60, 450}};
    const int32_t turns[3][3] = {{0, 0, 0}, {300, 500, 0}, {-200, 1000, 400}};
    for (int i = 0; i < 3; i++) {
        int32_t matrix[9];
        Mat_Rotate(turns[i][0], turns[i][1], turns[i][2], matrix);
        Draw_Axes(frame, positions[i], matrix);
    }
    OBJ_View = saved;
    return p;
}

Picture CollisionWirePicture()
{
    const OBJ_ViewParams saved = OBJ_View;
    Picture p = Canvas(320, 240, 0x0841);
    uint16_t *frame = p.pixels.data();
    {
        SceneArea area;
        SetGoldenView();
        Coll_Init();
        CollMeshSpec mesh = FloorGrid(6, 6, 200, 40, 7, {-600, 0, 200});
        mesh.Append(Wall(-600, 600, 1400, -400, 0));
        mesh.Append(Wall(150, 600, 800, -250, 0));
        MemFiles_Add("wire.3di", mesh.Bytes());
        const OBJ_Handle h = Load_Obj("wire.3di");
        Coll_Add_Mesh(h);
        // The eye above and behind the floor, looking down at it by about 25 degrees.
        const int32_t c = Get_Cos(284), s = Get_Sin(284);
        const int32_t look_down[9] = {0x8000, 0, 0, 0, c, s, 0, -s, c};
        const int32_t eye[3] = {0, -600, -600};
        Set_Obj_Matrix(0, look_down);
        Set_Obj_Pos(0, eye);

        // One body against the back wall and over the floor, one over the floor before the low wall.
        OBJ_CollBody *bodies[2] = {Coll_Create_Body(15), Coll_Create_Body(15)};
        const Vec3 centres[2] = {{-250, -60, 1340}, {300, -50, 650}};
        const int32_t radii[2] = {90, 70};
        for (int i = 0; i < 2; i++) {
            Coll_Set_Body_Radius(bodies[i], radii[i]);
            Copy_Vec(bodies[i]->centre, centres[i].data());
            Coll_Sweep_Body(bodies[i]);
        }
        Draw_Mesh_Wire(frame, h, 0x4A69);
        Draw_Line_3D(frame, bodies[0]->centre, bodies[1]->centre, 0xF81F);
        for (OBJ_CollBody *b : bodies) {
            Draw_Sphere_Test(frame, b, 0x07E0);
            Draw_Point_Test(frame, b, 0xFFE0);
            Coll_Delete_Body(b);
        }
        Coll_Free();
    }
    OBJ_View = saved;
    return p;
}

Picture BoxesWirePicture()
{
    const OBJ_ViewParams saved = OBJ_View;
    Picture p = Canvas(320, 240, 0);
    uint16_t *frame = p.pixels.data();
    {
        SceneArea area;
        const OBJ_Handle scene = LoadScene(area, "boxes");
        Set_Screen_Size(320, 240);
        Set_Viewport_Fov(320, 240, 0, 0, 76.36f);
        PlaceRootCamera({120, -40, -300}, 200);
        // The crate just ahead of the eye, low and to the right, so that it crosses the near plane.
        int32_t turn[9], ahead[3];
        Get_Obj_Matrix(0, turn);
        const int32_t in_view[3] = {170, 80, 150};
        Mat_Vec_Mul(turn, in_view, ahead);
        const int32_t crate[3] = {120 + ahead[0], -40 + ahead[1], -300 + ahead[2]};
        Set_Obj_Pos(scene + 1, crate);
        const uint32_t clear = Render_Settings.clear_colour;
        Set_Clear_Colour(0x18E3);
        Render_Frame(frame);
        Render_Settings.clear_colour = clear;
        Draw_All_Boxes(frame, Get_Hierarchy_Record(0));
        for (OBJ_Handle h = scene + 1; Get_Box_Count(h) >= 0; h++) {
            for (int32_t b = 0; b < Get_Box_Count(h); b++) {
                Draw_Box(frame, h, b, 0xFFE0);
            }
        }
    }
    OBJ_View = saved;
    return p;
}

} // namespace kalder_test
