/* A library of bitmap resources only; its pictures come from pictures.rc. */
typedef int resource_only_library;
