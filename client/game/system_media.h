// The client's fixed interface media, loaded once by the start-up task: each file's media
// handle and, for files read frame by frame, its frame buffers. Later screens look them up by
// the file name as the start-up wrote it (ASCII case ignored).
#pragma once
#include <cstdint>
#include <string>
#include <vector>

struct SYSTEM_MEDIA_ENTRY {
  std::string name;
  int32_t handle;                // -1 when the file was read by frames
  std::vector<uint8_t*> frames;  // mda_read_frame buffers, in frame order
};

extern std::vector<SYSTEM_MEDIA_ENTRY> system_media;

// mda_load_file of the file into a new entry: 0, or -2 (nothing added).
int32_t system_media_load(const char* name);
// Every frame of the file, in order, into a new entry: 0, or -2 (the frames read so far freed).
int32_t system_media_read_frames(const char* name);

// The first entry of that name; null when none.
const SYSTEM_MEDIA_ENTRY* system_media_find(const char* name);
// Its handle, -1 when none.
int32_t system_media_handle(const char* name);

// Every handle released and every frame buffer freed; the table empty.
void system_media_free();
