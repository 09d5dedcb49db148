// The project record's layout: every field written by the fixture writer at its own byte offset, with
// a value of its own, reads back through the game's structs.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "tests/support/level_writer.h"
#include "world/level_record.h"

using kalder_test::LevelRecordBuilder;
namespace level = kalder_test::level;

namespace {

struct Number {
    const char *field;
    size_t offset;
    int64_t (*read)(const LevelRecord &);
};

struct Text {
    const char *field;
    size_t offset;
    size_t size;
    const char *(*read)(const LevelRecord &);
};

// The value the writer puts at an offset: different for every field.
int32_t value_at(size_t offset) { return int32_t(0x01000000 + offset * 3); }

#define N(offset, expr) {#expr, offset, [](const LevelRecord &r) { return int64_t(r.expr); }}
#define N3(offset, expr) N(offset, expr[0]), N(offset + 4, expr[1]), N(offset + 8, expr[2])
#define T(offset, size, expr) {#expr, offset, size, [](const LevelRecord &r) { return static_cast<const char *>(r.expr); }}

constexpr size_t E3 = level::Exit(3), E7 = level::Exit(7);
constexpr size_t L1 = level::Element(1), L15 = level::Element(15);
constexpr size_t Z0 = level::Zone(0), Z11 = level::Zone(11);
constexpr size_t G2 = level::Trigger(2), G15 = level::Trigger(15);

const Number numbers[] = {
    N3(level::kColourA, colour_a), N3(level::kColourB, colour_b), N3(level::kColourC, colour_c),
    N(level::kPhysicsMode, physics_mode), N(level::kModelValueA, model_value_a),
    N(level::kModelValueB, model_value_b), N(level::kModelRadius, model_radius),
    N(level::kModelSight, model_sight), N3(level::kStartPosition, start_position),
    N(level::kShadingDepth, shading_depth), N(level::kShadingMode, shading_mode), N(level::kTinted, tinted),
    N(level::kViewDistance, view_distance), N(level::kAiTable, ai_table), N(level::kWaterHeight, water_height),
    N(level::kFightValueC, fight_value_c), N(level::kFightValueD, fight_value_d),
    N(level::kShadeTableValues, shade_table_values[0]), N(level::kShadeTableValues + 12, shade_table_values[3]),
    N3(level::kColourD, colour_d), N(level::kShadeValue, shade_value), N3(level::kFieldForce, field_force),
    N(level::kStartHeading, start_heading), N(level::kAirDrain, air_drain), N(level::kGaugeDrain, gauge_drain),
    N(level::kCdTrack, cd_track), N(level::kCameraPreset, camera_preset[0]),
    N(level::kCameraPreset + 20, camera_preset[5]), N(level::kFadeKind, fade_kind),
    N(level::kModelValueE, model_value_e), N(level::kCameraHold, camera_hold),
    N(level::kParticleParams, particle_params[0]), N(level::kParticleParams + 116, particle_params[29]),
    N(level::kParticleCount, particle_count), N(level::kParticleScale, particle_scale),
    N(level::kCameraDistance, camera_distance), N(level::kModelValueF, model_value_f),
    N(level::kParticlesOn, particles_on), N(level::kSkySpeed, sky_speed), N(level::kTintStrength, tint_strength),
    N(level::kTintSwitch, tint_switch), N(level::kHeightLimit, height_limit), N(level::kEntryMode, entry_mode),
    N(level::kDataPart, data_part),

    N(E3 + level::kExitFlags, exits[3].flags), N3(E3 + level::kExitBoxMin, exits[3].box_min),
    N3(E7 + level::kExitBoxMax, exits[7].box_max),

    N(L1 + level::kElementLife, elements[1].life), N(L1 + level::kElementGauge, elements[1].second_gauge),
    N(L15 + level::kElementAnimScale, elements[15].anim_time_scale),
    N(L15 + level::kElementWeight, elements[15].weight), N3(L1 + level::kElementStart, elements[1].start_position),
    N(L1 + level::kElementHeading, elements[1].start_heading),
    N(L1 + level::kElementPhysics, elements[1].physics_mode),
    N(L1 + level::kElementMotionScale, elements[1].motion_scale),
    N(L1 + level::kElementFight, elements[1].fight_value), N(L1 + level::kElementRadius, elements[1].radius),
    N(L1 + level::kElementRadius2, elements[1].second_radius),
    N(L1 + level::kElementSight, elements[1].sight_radius), N(L1 + level::kElementReach, elements[1].ai_reach),
    N(L1 + level::kElementRange, elements[1].range), N3(L15 + level::kElementAiParams, elements[15].ai_param),
    N(L15 + level::kElementSpeed, elements[15].speed_factor), N(L15 + level::kElementTilt, elements[15].tilt_factor),
    N(L15 + level::kElementScale, elements[15].scale),

    N3(Z0 + level::kZoneBoxMin, zones[0].box_min), N3(Z11 + level::kZoneBoxMax, zones[11].box_max),
    N(Z11 + level::kZonePoints, zones[11].points[0][0]), N(Z11 + level::kZonePoints + 4, zones[11].points[0][1]),
    N(Z11 + level::kZonePoints + 15 * 12 + 8, zones[11].points[15][2]),
    N(Z11 + level::kZonePointCount, zones[11].point_count), N(Z0 + level::kZoneCurrent, zones[0].current_point),
    N(Z0 + level::kZoneFlags, zones[0].flags), N(Z11 + level::kZoneType, zones[11].type),
    N(Z11 + level::kZoneRate, zones[11].rate), N(Z11 + level::kZoneField, zones[11].field_handle),

    N(G2 + level::kTriggerElementA, triggers[2].element_a), N(G2 + level::kTriggerElementA2, triggers[2].element_a2),
    N(G15 + level::kTriggerElementB, triggers[15].element_b), N(G15 + level::kTriggerZone, triggers[15].zone),
    N(G15 + level::kTriggerEvent, triggers[15].event_argument),
    N(G2 + level::kTriggerConditions, triggers[2].conditions), N(G2 + level::kTriggerActions, triggers[2].actions),
    N(G15 + level::kTriggerFlags, triggers[15].flags), N(G15 + level::kTriggerPeriod, triggers[15].period),
};

const Text texts[] = {
    T(level::kName, level::kNameSize, name),
    T(level::kFilm, level::kTextSize, film_name),
    T(level::kAnimTexture, level::kTextSize, anim_texture),
    T(level::kAnimFilm, level::kTextSize, anim_film),
    T(level::kScrollTexture, level::kTextSize, scroll_texture),
    T(level::kFlowTexture, level::kTextSize, flow_texture),
    T(level::kHeroModel, level::kTextSize, hero_model),
    T(E3 + level::kExitName, level::kExitTextSize, exits[3].name),
    T(E7 + level::kExitTarget, level::kExitTextSize, exits[7].target),
    T(E3 + level::kExitCondition, 16, exits[3].condition_object),
    T(L1 + level::kElementName, 12, elements[1].name),
    T(L15 + level::kElementFile, 16, elements[15].file),
    T(L1 + level::kElementSymbol, 16, elements[1].symbol_file),
    T(Z11 + level::kZoneName, 12, zones[11].name),
    T(G15 + level::kTriggerFilm, 16, triggers[15].film),
};

#undef N
#undef N3
#undef T

// A text of its own for each field, as long as the field (no NUL), so that a field that starts or
// ends one byte off reads different bytes.
std::string text_at(size_t offset, size_t size)
{
    std::string text = "@" + std::to_string(offset);
    while (text.size() < size) {
        text += char('a' + (offset + text.size()) % 26);
    }
    return text.substr(0, size);
}

TEST(LevelRecordTest, EveryFieldReadsBackFromItsByteOffset)
{
    LevelRecordBuilder builder;
    for (const Number &n : numbers) {
        builder.I32(n.offset, value_at(n.offset));
    }
    for (const Text &t : texts) {
        builder.Text(t.offset, t.size, text_at(t.offset, t.size));
    }
    builder.U8(level::kFlags, 0xA1).U8(level::kModelFlags, 0xB2);
    builder.U8(L1 + level::kElementFlagsA, 0xC3).U8(L1 + level::kElementFlagsB, 0xD4);

    LevelRecord record;
    ASSERT_EQ(builder.Bytes().size(), sizeof record);
    std::memcpy(&record, builder.Bytes().data(), sizeof record);

    for (const Number &n : numbers) {
        EXPECT_EQ(n.read(record), int64_t(value_at(n.offset))) << n.field << " at " << n.offset;
    }
    for (const Text &t : texts) {
        EXPECT_EQ(std::string(t.read(record), t.size), text_at(t.offset, t.size)) << t.field << " at " << t.offset;
    }
    EXPECT_EQ(record.flags, 0xA1);
    EXPECT_EQ(record.model_flags, 0xB2);
    EXPECT_EQ(record.elements[1].flags_a, 0xC3);
    EXPECT_EQ(record.elements[1].flags_b, 0xD4);
}

} // namespace
