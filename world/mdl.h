// Models: the 3D library's file source and the loading of models, characters and the scene into
// object slots.
#pragma once
#include <cstdint>

struct ActorRecord;
struct ElementRecord;

// Set by the level load while element 0 (the scene) loads: the file source then serves the scene's
// model, collision model and maps from the scene stream, and a character may take slot 2.
extern int32_t MDL_LoadingScene;
// Set once the scene's collision model is loaded; the collision code tests it.
extern int32_t MDL_SceneCollReady;
// The scene's sky node (0: none) and its angle, 0..4095 units of 4096 a turn.
extern int32_t MDL_SkyNode;
extern float MDL_SkyAngle;

// The 3D library's file source, for every model image it loads: writes the bytes of the named file
// at the destination and returns the count; 0 when the source refuses, -1 when the file is found
// nowhere. From the scene stream while the scene loads, else from the open container, else the disk
// (where the file's first 8 bytes are skipped, its length - 8 bytes written and its length returned).
int32_t MDL_FileHook(const char *name, void *destination, int32_t room);

// Loads a model into the first free object slot (flag word flags + 0x11): returns the slot, or null
// when all 32 are taken. Flag 0x02 reserves the slot without a model, 0x04 places it at the project
// start. A model that does not load stops the game.
ActorRecord *MDL_LoadModel(const char *name, int32_t flags);
// The level load brings in one element of the current project (a character, or the scene while
// MDL_LoadingScene is set): the slot, or null when none is free.
ActorRecord *MDL_LoadCharacter(ElementRecord *element);
// Loads the files of an element not yet in memory into the actor: its scene stream or container when
// they exist, its model, for slot 2 its collision model, and its animations. `file` is the element's
// file name. Failures stop the game.
void MDL_LoadScene(ElementRecord *element, ActorRecord *actor, const char *file, int32_t slot);
// Makes the actor a second instance of the already loaded source: a clone of its node and its
// animation set.
void MDL_InstanceModel(ElementRecord *element, ActorRecord *actor, ActorRecord *source);
// A node's name field holds at most this many bytes, not always NUL-terminated.
inline constexpr int32_t MDL_NODE_NAME_BYTES = 12;
// A node's name in upper case, bounded to its field and NUL-terminated: the model's nodes are found
// by these names.
void MDL_UpperNodeName(int32_t node, char (&out)[MDL_NODE_NAME_BYTES + 1]);
// Finds the head ("TETE...") and torso ("TORSE...") nodes of the actor's model.
void MDL_FindBones(ActorRecord *actor);
// The level load finds the sky node ("CIEL...") of the scene's model.
void MDL_FindSky(ActorRecord *scene);
// Every game tick: turns the sky by the project's sky speed.
void MDL_RotateSky();
// Places the actor at the project's start position and heading.
void ACTOR_PlaceAtStart(ActorRecord *actor);
// Stops the game with the text and exit code 999: a model, an animation or an effect that does not load.
[[noreturn]] void MDL_LoadError(const char *text);
// The level load empties every slot: flags 0 and position (0, 0, 0).
void MDL_ResetSlots();

// Kept without a caller: deletes the node of every slot in use and clears its flags.
void MDL_ReleaseSlots();
// Kept without a caller; does nothing.
void MDL_Idle();
// Kept without a caller: the first node of the tree below `root` (the root included) whose name
// equals `name` without regard to case, or -1.
int32_t MDL_FindNode(int32_t root, const char *name);
// Kept without a caller: the primitive type of every node of a tree.
void MDL_SetTreeType(int32_t node, int32_t type);
// Kept without a caller: for each rule, the children of the scene's node `parent` named `child` get
// the primitive type (the list is the caller's).
struct MDL_NodeType {
    const char *parent;
    const char *child;
    int32_t type;
};
void MDL_SetSceneTypes(int32_t scene, const MDL_NodeType *rules, int32_t count);
// Kept without a caller: the editor stores the hero's position relative to slot 2 (rounded) and its
// heading into out[0..3].
void MDL_StoreHeroPosition(int32_t out[4]);
