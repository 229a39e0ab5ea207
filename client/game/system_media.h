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

// A file may be both read by frames and loaded (as two entries): the handle is that of the first
// entry of the name that holds one (-1 when none), the frames those of the first that was read
// by frames (null when none).
int32_t system_media_handle(const char* name);
const std::vector<uint8_t*>* system_media_frames(const char* name);

// Every handle released and every frame buffer freed; the table empty.
void system_media_free();
