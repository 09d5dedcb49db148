// The test figure on the golden view, played by an actor: the pictures of the actor goldens and of
// kdev anim.
#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "tests/support/character_writer.h"
#include "tests/support/scene_builder.h"
#include "world/actor.h"

namespace kalder_test {

// Puts an actor in an animation of its set that already plays: no fade and no first frame to come.
void PlayingAt(ActorRecord *actor, int32_t number, float frame, float speed);

// Loads the test figure into an area under the root camera, lit by a lamp above and left of the
// camera, with its animations in set 0; its handle.
OBJ_Handle LoadStageFigure(SceneArea &area, int32_t kind);

// A started library at the golden view (320 x 240) with the figure under the root camera, its
// animations in set 0, and an actor standing on it in its idle, 800 ahead, turned to show its side.
class ActorStage {
public:
    explicit ActorStage(int32_t kind = 4);
    ~ActorStage();
    ActorStage(const ActorStage &) = delete;
    ActorStage &operator=(const ActorStage &) = delete;

    ActorRecord actor{};
    OBJ_Handle figure = -1;
    // The handle of an animation number, -1 without one.
    int32_t Handle(int32_t number) const;
    // Puts the actor in an animation that already plays, at a frame, standing still.
    void Playing(int32_t number, float frame);
    // Back on the stage's spot after a player moved the actor by the animation's root motion.
    void Place();
    // An opponent placed at a bearing (degrees, left positive) and distance from the actor.
    void Opponent(ActorRecord *opponent, double degrees, double distance);
    std::vector<uint16_t> Render() const;
    int32_t Width() const;
    int32_t Height() const;

private:
    std::unique_ptr<SceneArea> area_;
};

// The demonstration's pictures: the walk cycle (frames 1..16), the six steps of a cross-fade from
// idle to walk, and the head aimed at an opponent swept from -70 to +70 degrees in steps of 10.
struct NamedPicture {
    std::string name;
    std::vector<uint16_t> pixels;
};
std::vector<NamedPicture> ActorDemoPictures(int32_t kind);

} // namespace kalder_test
