// The animated test figure on a started 3D library: its model and animations served from memory to
// the library and listed in drive C's data\3dc folder for the loader's search, and an actor that
// plays them.
#pragma once
#include <gtest/gtest.h>

#include <array>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "core/game_frame.h"
#include "editor/edt.h"
#include "engine3d/anim.h"
#include "engine3d/image.h"
#include "engine3d/object.h"
#include "plat/test.h"
#include "tests/support/actor_pictures.h"
#include "tests/support/character_writer.h"
#include "tests/support/core_state.h"
#include "tests/support/image_area.h"
#include "tests/support/temp_drives.h"
#include "world/actor.h"
#include "world/anim.h"
#include "world/fx.h"
#include "world/mis.h"

namespace anim_test {

using kalder_test::CharacterOptions;
using kalder_test::NamedFile;

constexpr int kRecords = 6; // the figure's records: root, torso, head, two hands, foot marker

// The local matrices and positions of the figure's records.
struct Pose {
    std::array<std::array<int32_t, 9>, kRecords> m{};
    std::array<std::array<int32_t, 3>, kRecords> p{};
    bool operator==(const Pose &o) const { return m == o.m && p == o.p; }
};

inline std::ostream &operator<<(std::ostream &os, const Pose &pose)
{
    for (int r = 0; r < kRecords; r++) {
        os << "\n  record " << r << ": m";
        for (int32_t v : pose.m[size_t(r)]) {
            os << " " << v;
        }
        os << " p " << pose.p[size_t(r)][0] << " " << pose.p[size_t(r)][1] << " " << pose.p[size_t(r)][2];
    }
    return os;
}

inline Pose PoseOf(OBJ_Handle node)
{
    Pose pose;
    for (int r = 0; r < kRecords; r++) {
        Get_Obj_Matrix(node + r, pose.m[size_t(r)].data());
        Get_Obj_Pos(node + r, pose.p[size_t(r)].data());
    }
    return pose;
}

// The pose without the root's position, which the physics sets after a fade.
inline Pose Limbs(Pose pose)
{
    pose.p[0] = {0, 0, 0};
    return pose;
}

struct Figure : ::testing::Test {
    std::unique_ptr<kalder_test::TempDrives> drives;
    std::unique_ptr<kalder_test::ImageArea> area;
    ActorRecord actor{};
    OBJ_Handle figure = -1;
    int32_t set = -1; // the figure's animation set, once loaded

    void SetUp() override
    {
        kalder_test::ResetCore();
        test::SetExitHook(test::ThrowOnExit);
        drives = std::make_unique<kalder_test::TempDrives>("C");
        area = std::make_unique<kalder_test::ImageArea>(4000000);
        ANIM_InitSlots();
        ANIM_MenuRequest = 0;
        for (ActorRecord &p : ACTOR_Projectiles) {
            ACTOR_InitRecord(&p);
        }
        FX_BallCount = 0;
    }
    void TearDown() override
    {
        area.reset();
        drives.reset();
        kalder_test::ResetCore();
    }

    // Serves a file to the library and lists it in data\3dc.
    void Put(const NamedFile &file)
    {
        kalder_test::MemFiles_Add(file.name, file.bytes);
        drives->Write('C', "data/3dc/" + file.name, file.bytes);
    }
    // The figure's model and animations; loads the model.
    void Write(const CharacterOptions &options = {})
    {
        Put(kalder_test::CharacterModel(options));
        for (const NamedFile &f : kalder_test::CharacterAnims(options)) {
            Put(f);
        }
        figure = Load_Obj(("data\\3dc\\" + options.type + ".3dc").c_str());
        ASSERT_GE(figure, 0);
    }
    // A fresh actor on a node, standing in its idle as the level load leaves it.
    void Ready(ActorRecord *a, OBJ_Handle node, const CharacterOptions &options = {})
    {
        ACTOR_InitRecord(a);
        a->flags[0] |= ACTOR_F0_IN_USE;
        a->flags[1] |= ACTOR_F1_AI;
        a->node = node;
        if (options.kind == 6) {
            a->flags[7] |= ACTOR_F7_EXTENDED_KEYS;
        }
        if (set < 0) {
            ASSERT_EQ(ANIM_LoadActorAnims(a, (options.type + ".3dc").c_str()), 1);
            set = a->anim_set;
        } else {
            ActorRecord type;
            type.anim_set = set;
            ASSERT_EQ(ANIM_SetAnimSet(a, &type), 1);
        }
        ANIM_DoAction(a, 0);
        ANIM_ChangeAnim(a);
        ANIM_ResetAnim(a);
    }
    // The usual start: the figure written and the fixture's actor ready on it.
    void Start(const CharacterOptions &options = {})
    {
        Write(options);
        Ready(&actor, figure, options);
    }
    int32_t Handle(int32_t number) const { return ANIM_Slots[actor.anim_set][number].handle; }
    // A second figure posed directly by the library from two keys at a weight.
    Pose Expected(int32_t key_a, int32_t key_b, int32_t weight, bool extended = false)
    {
        OBJ_Handle clone = Clone_Obj(figure);
        EXPECT_GE(clone, 0);
        EXPECT_EQ(extended ? Anim_Apply_Ext(clone, key_a, key_b, weight, 0) : Anim_Apply(clone, key_a, key_b, weight, 0),
                  0);
        Pose pose = PoseOf(clone);
        Delete_Obj(clone);
        return pose;
    }
    // The actor's pose with the root's position as the keys left it (the physics moves the node).
    Pose Keyed(const ActorRecord &a)
    {
        Pose pose = PoseOf(a.node);
        pose.p[0] = {a.stored_node_pos[0], a.stored_node_pos[1], a.stored_node_pos[2]};
        return pose;
    }
};

} // namespace anim_test
