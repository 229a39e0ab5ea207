// mkgame: the sample game folder, as files in memory or written to a folder. It holds the
// start-up files (the res tables and media of the start-up manifests), the cursor set, the art
// of the front-end screens (account input, server select, character select and character
// create) and the sample scene's music. Test-only; never linked into the programs.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "tools/mdawriter/mda_writer.h"

namespace mkgame {

struct GameFile {
  std::string path;  // relative, '/' separators, lower-case folders
  std::vector<uint8_t> bytes;
};

// The start-up manifests' folder (tools/startup of the source tree) as the build knew it.
std::string defaultStartupDir();

// The front-end screens' art alone (media files, pictures, texts and the menu music).
std::vector<GameFile> frontEndArt();
// The start-up files from the manifests under startupDir (media/<folder>/<name>.txt and
// res/<name>.txt).
std::vector<GameFile> startupFiles(const std::string& startupDir);
// system/MOUSE0.ani to MOUSE12.ani.
std::vector<GameFile> cursorFiles();
// The sample scene's files: its music, music/MUS001.MP3.
std::vector<GameFile> gameSceneFiles();
// The sample maps (map/MAP001.MAP, Demo Town, and map/MAP002.MAP) with their small-map pictures,
// the fountain's sound, the flag's look and map 2's music.
std::vector<GameFile> gameMapFiles();
// The folder's own files: veldra.cfg, registry.ini, the item and scene tables, the sounds of the
// boxes and the game screen, the weather's clouds and the chat window's cursor.
std::vector<GameFile> folderFiles();

// system/chat/chat_back0.bmp to chat_back4.bmp through the game's BMP writer, into the
// installed platform's game folder (which has its system/chat folder); throws std::runtime_error.
void writeChatBackgrounds();

// The marker of a folder that mkgame made; mkgame writes into no other non-empty folder.
constexpr const char* kMarker = ".sample";
// The player's own files among ours, kept when the folder is made again.
constexpr const char* kKeptFiles[] = {"veldra.cfg"};

// Everything of this form. Where two sets hold one file under two spellings (case differs) it
// is one file: media files with the commands of both (the front end's where a name is in
// both), under the start-up set's spelling. Throws std::runtime_error on a bad manifest.
std::vector<GameFile> gameFiles(const std::string& startupDir);

// Writes the files under a host folder (made as needed) through the game's file layer, so that
// nothing lands outside it; throws std::runtime_error.
void writeFiles(const std::string& hostDir, const std::vector<GameFile>& files);
// The sample folder: refuses (std::runtime_error, nothing written) a non-empty folder without
// the marker; rewrites the generated files but keeps the player's (kKeptFiles) when they exist;
// writes the marker last.
void writeGame(const std::string& hostDir, const std::vector<GameFile>& files);

// The one media file of two: b's commands replace a's of the same name (case ignored), a's
// others stay; the frames of both are kept. Throws std::runtime_error when a frame name is in
// both.
mdaw::MdaFile mergeMedia(const mdaw::MdaFile& a, const mdaw::MdaFile& b);

// The front end's media files before they are built, by path.
struct MediaFile {
  std::string path;
  mdaw::MdaFile file;
};
std::vector<MediaFile> frontEndMedia();
// The scene's looks ("npc/NPC%03da.MDA": the figures' further posture commands, NPC 101, pet 120)
// and its timed animation "ani/Obj147a.mda".
std::vector<MediaFile> sceneLookMedia();

// The title's and the main menu's share of the front end: the menu's media file (seven
// decorations as frames 0 to 6, then the buttons' commands 0 to 8), and the menu picture, the
// menu music and the title film.
std::vector<MediaFile> titleMedia();
std::vector<GameFile> titleArt();

// The publisher's web site for the updater, written into siteDir: "autoupd/server.txt" with the
// one entry "Demo" (id 100100, the gateway at 127.0.0.1:gatewayPort, its version file at
// baseUrl + "/autoupd/version.txt") and that version file: nothing to fetch, or with `patch` one
// archive ("patches/p1.zip", made with mkzip) that takes SITE_BASE_VERSION to SITE_PATCH_VERSION.
constexpr const char* SITE_BASE_VERSION = "1.0.0.0";
constexpr const char* SITE_PATCH_VERSION = "1.0.1.0";
void writeSite(const std::string& siteDir, const std::string& baseUrl, int gatewayPort, bool patch);

}  // namespace mkgame
