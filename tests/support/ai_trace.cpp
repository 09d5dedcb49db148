// The creature AI's decisions as text (see ai_trace.h).
#include "tests/support/ai_trace.h"

#include <cstdio>
#include <cstring>
#include <vector>

#include "core/fconv.h"
#include "world/actor.h"
#include "world/ai.h"

namespace kalder_test {

namespace {

struct Seen {
    const ActorRecord *member;
    int32_t action;
};
std::vector<Seen> Actions;

void Observe(ActorRecord *member, int32_t action) { Actions.push_back({member, action}); }

// An object slot's number, "p" and the number for a projectile, "-" for none.
std::string Name(const ActorRecord *a)
{
    if (a == nullptr) {
        return "-";
    }
    if (a >= ACTOR_Slots && a < ACTOR_Slots + ACTOR_SLOT_COUNT) {
        return std::to_string(a - ACTOR_Slots);
    }
    if (a >= ACTOR_Projectiles && a < ACTOR_Projectiles + ACTOR_PROJECTILE_COUNT) {
        std::string name = "p";
        return name += std::to_string(a - ACTOR_Projectiles);
    }
    return "?";
}

} // namespace

AiTrace::AiTrace()
{
    Actions.clear();
    AI_ActionObserver = Observe;
}

AiTrace::~AiTrace()
{
    AI_ActionObserver = nullptr;
    Actions.clear();
}

std::string AiTrace::Tick(int32_t frame)
{
    std::string out;
    for (int32_t i = 0; i < AI_MemberCount; i++) {
        const ActorRecord *m = AI_MemberList[i];
        std::string acts;
        for (const Seen &s : Actions) {
            if (s.member == m) {
                if (!acts.empty()) {
                    acts += ',';
                }
                acts += std::to_string(s.action);
            }
        }
        const std::string squad = m->group_parent != nullptr ? std::to_string(m->group_parent->ai_state) : "-";
        char line[256];
        std::snprintf(line, sizeof line,
                      "f=%04d s%s pos=%d,%d,%d h=%d anim=%d/%d st=%d fl=0x%03x sq=%s en=%d al=%d tgt=%s act=%s\n",
                      int(frame), Name(m).c_str(), trunc_i32(m->position[0]), trunc_i32(m->position[1]),
                      trunc_i32(m->position[2]), int(m->heading), int(m->current_anim), int(m->requested_anim),
                      int(m->ai_state), unsigned(m->ai_flags), squad.c_str(), int(m->enemy_count),
                      int(m->ally_count), Name(m->target).c_str(), acts.empty() ? "-" : acts.c_str());
        out += line;
    }
    Actions.clear();
    return out;
}

std::string AiGroups()
{
    std::string out;
    for (int camp = 0; camp < 2; camp++) {
        std::string members;
        for (int32_t i = 0; i < AI_MemberCount; i++) {
            const ActorRecord *m = AI_MemberList[i];
            if (((m->flags[1] & ACTOR_F1_TEAM) != 0) == (camp == 1)) {
                // The element's name when the member came from one, else its model's.
                const char *name = m->definition != nullptr ? m->definition->name : m->node_name;
                const size_t room = m->definition != nullptr ? sizeof m->definition->name : sizeof m->node_name;
                members += " s" + Name(m) + " \"" + std::string(name, strnlen(name, room)) + "\"";
            }
        }
        out += "camp " + std::to_string(camp) + ":" + (members.empty() ? " none" : members) + "\n";
    }
    for (int32_t i = 0; i < AI_SquadCount; i++) {
        const ActorRecord *s = AI_SquadList[i];
        out += "squad " + std::to_string(i) + ":";
        for (int32_t k = 0; k < s->group_count; k++) {
            out += " s" + Name(s->group[k]);
        }
        out += "\n";
    }
    for (int32_t i = 0; i < AI_TopCount; i++) {
        const ActorRecord *t = AI_TopList[i];
        out += "top group " + std::to_string(i) + ":";
        for (int32_t k = 0; k < t->group_count; k++) {
            for (int32_t j = 0; j < AI_SquadCount; j++) {
                if (AI_SquadList[j] == t->group[k]) {
                    out += " squad " + std::to_string(j);
                }
            }
        }
        out += "\n";
    }
    return out;
}

} // namespace kalder_test
