// The object API: every operation the game uses on an object record, by handle. -1 for a bad handle,
// 0 for success, unless said otherwise.
#pragma once
#include <cstdint>

#include "engine3d/records.h"

// The record of a handle into an object hierarchy; 0 for a bad handle or any other kind of block.
Addr Get_Hierarchy_Record(OBJ_Handle h);

int32_t Link_Obj(OBJ_Handle child, OBJ_Handle parent);
int32_t Unlink_Obj(OBJ_Handle h);
const char *Get_Obj_Name(OBJ_Handle h);
int32_t Get_Obj_Name_Unchecked(OBJ_Handle h);
int32_t Get_Obj_Count(OBJ_Handle h);
OBJ_Handle Get_Table_Handle(OBJ_Handle h);
OBJ_Handle Get_Obj_Parent(OBJ_Handle h);
OBJ_Handle Get_Obj_Child(OBJ_Handle h);
OBJ_Handle Get_Obj_Sibling(OBJ_Handle h);

int32_t Hide_Obj_Tree(OBJ_Handle h);
int32_t Show_Obj_Tree(OBJ_Handle h);
int32_t Hide_Obj(OBJ_Handle h);
int32_t Show_Obj(OBJ_Handle h);
int32_t Set_Obj_Flag80(OBJ_Handle h);
int32_t Clear_Obj_Flag80(OBJ_Handle h);
int32_t Set_Obj_Env_Map(OBJ_Handle h, int32_t on);
int32_t Set_Obj_No_Build(OBJ_Handle h, int32_t on);

int32_t Set_Tree_Prim_Type(OBJ_Handle h, int32_t type);
int32_t Replace_Tree_Prim_Type(OBJ_Handle h, int32_t old_type, int32_t new_type);
int32_t Replace_Prim_Type(OBJ_Handle h, int32_t old_type, int32_t new_type);
// The primitive type of the first face node of the handle's records into *type; -1 when there is none.
int32_t Get_First_Prim_Type(OBJ_Handle h, int32_t *type);
int32_t Replace_Tree_Material(OBJ_Handle h, const char *old_name, const char *new_name);
int32_t Replace_Material(OBJ_Handle h, const char *old_name, const char *new_name);
int32_t Set_Table_Shade(OBJ_Handle h, uint32_t value);

int32_t Get_Obj_Matrix(OBJ_Handle h, int32_t *m);
int32_t Set_Obj_Matrix(OBJ_Handle h, const int32_t *m);
int32_t Get_Obj_Pos(OBJ_Handle h, int32_t *v);
int32_t Set_Obj_Pos(OBJ_Handle h, const int32_t *v);
int32_t Get_Obj_View_Matrix(OBJ_Handle h, int32_t *m);
int32_t Get_Obj_View_Pos(OBJ_Handle h, int32_t *v);
int32_t Set_Obj_View_Matrix(OBJ_Handle h, const int32_t *m);
int32_t Set_Obj_View_Pos(OBJ_Handle h, const int32_t *v);
int32_t Get_Obj_World_Matrix(OBJ_Handle h, int32_t *m);
int32_t Get_Obj_World_Pos(OBJ_Handle h, int32_t *v);
int32_t Get_Obj_Rel_Matrix(OBJ_Handle frame, OBJ_Handle h, int32_t *m);
int32_t Get_Obj_Rel_Pos(OBJ_Handle frame, OBJ_Handle h, int32_t *v);
int32_t Mirror_Point(OBJ_Handle h, const int32_t *point, int32_t *out);
int32_t Mirror_Points(OBJ_Handle h, const int32_t *points, int32_t *out);
int32_t Scale_Obj(OBJ_Handle h, float fx, float fy, float fz);

int32_t Set_Vertex(OBJ_Handle h, int32_t index, const int32_t *v);
int32_t Get_Vertex(OBJ_Handle h, int32_t index, int32_t *v);
int32_t Get_Vertex_Count(OBJ_Handle h);
int32_t Set_All_Vertices(OBJ_Handle h, const int32_t *v);
int32_t Get_All_Vertices(OBJ_Handle h, int32_t *v);
int32_t Get_Obj_Bounds(OBJ_Handle h, int32_t *centre, int32_t *radius);
int32_t Copy_Obj_Data(OBJ_Handle destination, OBJ_Handle source, int32_t mode);
