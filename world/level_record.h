// The project record and its sub-records, byte for byte as they are stored in kalder.dat.
#pragma once
#include <cstddef>
#include <cstdint>

// Text fields are fixed-size and need not end in a NUL: read them with a bounded length.

// One way out of a project (8 per project).
struct ExitRecord {
    char name[12];               // editor label; "EMPTY" when blank
    char target[12];             // name of the project the exit leads to
    uint32_t flags;              // EXIT_* bits
    uint8_t unused28[8];
    int32_t box_min[3];          // relative to the position of object slot 2
    int32_t box_max[3];          // min x and max x both 0: the exit has no box
    char condition_object[16];   // name of the object tested by the exit; empty: no test
    uint8_t unused76[52];
};

inline constexpr uint32_t EXIT_ON = 0x01;
inline constexpr uint32_t EXIT_IN_ZONE = 0x02;
inline constexpr uint32_t EXIT_OBJECT_TAKEN = 0x04;
inline constexpr uint32_t EXIT_NEGATE_OBJECT = 0x08;
inline constexpr uint32_t EXIT_TRIGGER_TEST = 0x10;
inline constexpr uint32_t EXIT_GAME_FLAG_TEST = 0x20;
inline constexpr uint32_t EXIT_OUTSIDE_BOX = 0x40;
inline constexpr uint32_t EXIT_ANY_OBJECT = 0x80;

// One element of a project: element 0 is the scene, 1..15 the characters.
struct ElementRecord {
    char name[12];
    char file[16];               // scene stream (element 0) or model file
    char symbol_file[16];        // under data\sym\; empty: none
    int32_t life;
    int32_t second_gauge;
    uint8_t flags_a;             // bit 0: load this element
    uint8_t flags_b;             // bit 0: not loaded at project start
    uint8_t unused54[2];
    int32_t anim_time_scale;     // times 1/64
    int32_t weight;
    int32_t start_position[3];
    uint8_t unused76[16];
    int32_t start_heading;
    uint8_t unused96[4];
    int32_t physics_mode;
    int32_t motion_scale;
    int32_t fight_value;
    int32_t radius;
    int32_t second_radius;       // the field that otherwise gets half the radius
    int32_t sight_radius;
    int32_t ai_reach;
    int32_t range;               // times 0.2
    int32_t ai_param[3];
    int32_t speed_factor;        // times 1/16
    int32_t tilt_factor;         // times 1/128
    int32_t scale;               // times 1/32
    uint8_t unused156[36];
};

// A box and up to 16 points with a meaning given by the type (12 per project).
struct ZoneRecord {
    char name[12];
    int32_t box_min[3];
    int32_t box_max[3];
    int32_t points[16][3];
    int32_t point_count;
    int32_t current_point;
    int32_t flags;               // bit 0: in use
    int32_t type;
    int32_t rate;
    int32_t field_handle;
    uint8_t unused252[4];
};

// A scene trigger as the project stores it (16 per project); copied into the trigger table at load.
struct TRG_SourceRecord {
    uint8_t unused0[12];
    int32_t element_a;           // -1: none
    int32_t element_a2;
    int32_t element_b;           // -1: none
    int32_t zone;                // -1: none
    int32_t event_argument;      // n > 0 posts interface event 0x40 with n - 1
    uint32_t conditions;
    uint32_t actions;
    uint32_t flags;              // bit 0: active
    char film[16];
    int32_t period;              // seconds
};

// One project. A zero value means the default wherever there is one.
struct LevelRecord {
    char name[20];               // "Project0" .. "Project149"; "EMPTY" holds no project
    uint8_t flags;               // bit 0: in use
    uint8_t unused21;
    uint8_t model_flags;
    uint8_t unused23;
    int32_t colour_a[3];
    int32_t colour_b[3];
    int32_t colour_c[3];
    char film_name[16];          // opening film under data\hnm\; empty: none
    char anim_texture[16];       // texture that shows the animation film
    char anim_film[16];          // film played into anim_texture (data\anim\ of the installation)
    char scroll_texture[16];
    char flow_texture[16];
    char hero_model[16];         // empty: the built-in hero
    int32_t physics_mode;
    int32_t model_value_a;
    int32_t model_value_b;
    int32_t model_radius;
    uint8_t unused172[4];
    int32_t model_sight;
    int32_t start_position[3];
    int32_t shading_depth;
    int32_t shading_mode;
    int32_t tinted;
    int32_t view_distance;
    int32_t ai_table;
    int32_t water_height;
    int32_t fight_value_c;
    int32_t fight_value_d;
    int32_t shade_table_values[4];
    int32_t colour_d[3];
    int32_t shade_value;
    int32_t field_force[3];
    int32_t start_heading;
    uint8_t unused272[4];
    int32_t air_drain;
    int32_t gauge_drain;
    int32_t cd_track;            // low byte only
    int32_t camera_preset[6];
    int32_t fade_kind;
    uint8_t unused316[4];
    int32_t model_value_e;
    int32_t camera_hold;
    int32_t particle_params[30];
    uint8_t unused448[16];
    int32_t particle_count;
    int32_t particle_scale;
    int32_t camera_distance;
    int32_t model_value_f;
    int32_t particles_on;
    int32_t sky_speed;
    int32_t tint_strength;
    int32_t tint_switch;
    int32_t height_limit;
    uint8_t unused500[4];
    int32_t entry_mode;
    int32_t data_part;           // data part holding the project's files; 0: none
    ExitRecord exits[8];
    ElementRecord elements[16];
    ZoneRecord zones[12];
    TRG_SourceRecord triggers[16];
};

static_assert(sizeof(ExitRecord) == 128);
static_assert(offsetof(ExitRecord, name) == 0);
static_assert(offsetof(ExitRecord, target) == 12);
static_assert(offsetof(ExitRecord, flags) == 24);
static_assert(offsetof(ExitRecord, box_min) == 36);
static_assert(offsetof(ExitRecord, box_max) == 48);
static_assert(offsetof(ExitRecord, condition_object) == 60);

static_assert(sizeof(ElementRecord) == 192);
static_assert(offsetof(ElementRecord, name) == 0);
static_assert(offsetof(ElementRecord, file) == 12);
static_assert(offsetof(ElementRecord, symbol_file) == 28);
static_assert(offsetof(ElementRecord, life) == 44);
static_assert(offsetof(ElementRecord, second_gauge) == 48);
static_assert(offsetof(ElementRecord, flags_a) == 52);
static_assert(offsetof(ElementRecord, flags_b) == 53);
static_assert(offsetof(ElementRecord, anim_time_scale) == 56);
static_assert(offsetof(ElementRecord, weight) == 60);
static_assert(offsetof(ElementRecord, start_position) == 64);
static_assert(offsetof(ElementRecord, start_heading) == 92);
static_assert(offsetof(ElementRecord, physics_mode) == 100);
static_assert(offsetof(ElementRecord, motion_scale) == 104);
static_assert(offsetof(ElementRecord, fight_value) == 108);
static_assert(offsetof(ElementRecord, radius) == 112);
static_assert(offsetof(ElementRecord, second_radius) == 116);
static_assert(offsetof(ElementRecord, sight_radius) == 120);
static_assert(offsetof(ElementRecord, ai_reach) == 124);
static_assert(offsetof(ElementRecord, range) == 128);
static_assert(offsetof(ElementRecord, ai_param) == 132);
static_assert(offsetof(ElementRecord, speed_factor) == 144);
static_assert(offsetof(ElementRecord, tilt_factor) == 148);
static_assert(offsetof(ElementRecord, scale) == 152);

static_assert(sizeof(ZoneRecord) == 256);
static_assert(offsetof(ZoneRecord, name) == 0);
static_assert(offsetof(ZoneRecord, box_min) == 12);
static_assert(offsetof(ZoneRecord, box_max) == 24);
static_assert(offsetof(ZoneRecord, points) == 36);
static_assert(offsetof(ZoneRecord, point_count) == 228);
static_assert(offsetof(ZoneRecord, current_point) == 232);
static_assert(offsetof(ZoneRecord, flags) == 236);
static_assert(offsetof(ZoneRecord, type) == 240);
static_assert(offsetof(ZoneRecord, rate) == 244);
static_assert(offsetof(ZoneRecord, field_handle) == 248);

static_assert(sizeof(TRG_SourceRecord) == 64);
static_assert(offsetof(TRG_SourceRecord, element_a) == 12);
static_assert(offsetof(TRG_SourceRecord, element_a2) == 16);
static_assert(offsetof(TRG_SourceRecord, element_b) == 20);
static_assert(offsetof(TRG_SourceRecord, zone) == 24);
static_assert(offsetof(TRG_SourceRecord, event_argument) == 28);
static_assert(offsetof(TRG_SourceRecord, conditions) == 32);
static_assert(offsetof(TRG_SourceRecord, actions) == 36);
static_assert(offsetof(TRG_SourceRecord, flags) == 40);
static_assert(offsetof(TRG_SourceRecord, film) == 44);
static_assert(offsetof(TRG_SourceRecord, period) == 60);

static_assert(sizeof(LevelRecord) == 8704);
static_assert(offsetof(LevelRecord, name) == 0);
static_assert(offsetof(LevelRecord, flags) == 20);
static_assert(offsetof(LevelRecord, model_flags) == 22);
static_assert(offsetof(LevelRecord, colour_a) == 24);
static_assert(offsetof(LevelRecord, colour_b) == 36);
static_assert(offsetof(LevelRecord, colour_c) == 48);
static_assert(offsetof(LevelRecord, film_name) == 60);
static_assert(offsetof(LevelRecord, anim_texture) == 76);
static_assert(offsetof(LevelRecord, anim_film) == 92);
static_assert(offsetof(LevelRecord, scroll_texture) == 108);
static_assert(offsetof(LevelRecord, flow_texture) == 124);
static_assert(offsetof(LevelRecord, hero_model) == 140);
static_assert(offsetof(LevelRecord, physics_mode) == 156);
static_assert(offsetof(LevelRecord, model_value_a) == 160);
static_assert(offsetof(LevelRecord, model_value_b) == 164);
static_assert(offsetof(LevelRecord, model_radius) == 168);
static_assert(offsetof(LevelRecord, model_sight) == 176);
static_assert(offsetof(LevelRecord, start_position) == 180);
static_assert(offsetof(LevelRecord, shading_depth) == 192);
static_assert(offsetof(LevelRecord, shading_mode) == 196);
static_assert(offsetof(LevelRecord, tinted) == 200);
static_assert(offsetof(LevelRecord, view_distance) == 204);
static_assert(offsetof(LevelRecord, ai_table) == 208);
static_assert(offsetof(LevelRecord, water_height) == 212);
static_assert(offsetof(LevelRecord, fight_value_c) == 216);
static_assert(offsetof(LevelRecord, fight_value_d) == 220);
static_assert(offsetof(LevelRecord, shade_table_values) == 224);
static_assert(offsetof(LevelRecord, colour_d) == 240);
static_assert(offsetof(LevelRecord, shade_value) == 252);
static_assert(offsetof(LevelRecord, field_force) == 256);
static_assert(offsetof(LevelRecord, start_heading) == 268);
static_assert(offsetof(LevelRecord, air_drain) == 276);
static_assert(offsetof(LevelRecord, gauge_drain) == 280);
static_assert(offsetof(LevelRecord, cd_track) == 284);
static_assert(offsetof(LevelRecord, camera_preset) == 288);
static_assert(offsetof(LevelRecord, fade_kind) == 312);
static_assert(offsetof(LevelRecord, model_value_e) == 320);
static_assert(offsetof(LevelRecord, camera_hold) == 324);
static_assert(offsetof(LevelRecord, particle_params) == 328);
static_assert(offsetof(LevelRecord, particle_count) == 464);
static_assert(offsetof(LevelRecord, particle_scale) == 468);
static_assert(offsetof(LevelRecord, camera_distance) == 472);
static_assert(offsetof(LevelRecord, model_value_f) == 476);
static_assert(offsetof(LevelRecord, particles_on) == 480);
static_assert(offsetof(LevelRecord, sky_speed) == 484);
static_assert(offsetof(LevelRecord, tint_strength) == 488);
static_assert(offsetof(LevelRecord, tint_switch) == 492);
static_assert(offsetof(LevelRecord, height_limit) == 496);
static_assert(offsetof(LevelRecord, entry_mode) == 504);
static_assert(offsetof(LevelRecord, data_part) == 508);
static_assert(offsetof(LevelRecord, exits) == 512);
static_assert(offsetof(LevelRecord, elements) == 1536);
static_assert(offsetof(LevelRecord, zones) == 4608);
static_assert(offsetof(LevelRecord, triggers) == 7680);
