// The HTTP downloader's result codes. 0 is success everywhere; each failing step has its own
// number so that a log line names the step.
#pragma once

namespace updater {

constexpr int HTTP_OK = 0;

// Start
constexpr int HTTP_RESUME_NO_BACKUP = 42;       // "break.bak" missing
constexpr int HTTP_RESUME_BACKUP_EMPTY = 49;    // "break.bak" empty
constexpr int HTTP_LENGTH_FAILED = 86;          // the length query failed
constexpr int HTTP_LENGTH_OUT_OF_RANGE = 91;    // below 1, or above what 32 bits hold
constexpr int HTTP_RESUME_REOPEN = 108;         // the local file cannot be reopened
constexpr int HTTP_RESUME_COPY_BACK = 113;      // the saved content cannot be copied back
constexpr int HTTP_FILE_CREATE = 146;           // the local file cannot be created

// Length query
constexpr int HTTP_UNRESOLVED = 262;            // no address for the server (or no URL)
constexpr int HTTP_NO_SOCKET = 272;
constexpr int HTTP_HEAD_CLOSED = 331;           // the server closed before anything arrived
constexpr int HTTP_NO_STATUS = 349;             // no blank in the status line
constexpr int HTTP_REDIRECT_NO_LOCATION = 358;
constexpr int HTTP_REDIRECT_NO_COOKIE = 363;
constexpr int HTTP_REDIRECT_UNRESOLVED = 386;
constexpr int HTTP_REDIRECT_NO_SOCKET = 396;
constexpr int HTTP_NO_CONTENT_LENGTH = 433;
constexpr int HTTP_BAD_STATUS = 441;            // neither 2xx nor 3xx, or too many redirects

// Header fields of a redirect
constexpr int HTTP_LOCATION_MISSING = 451;
constexpr int HTTP_LOCATION_UNENDED = 457;
constexpr int HTTP_COOKIE_MISSING = 468;
constexpr int HTTP_COOKIE_UNENDED = 474;
constexpr int HTTP_COOKIE_NO_SEMICOLON = 480;

// Segments
constexpr int SEGMENT_NO_SOCKET = 146;
constexpr int SEGMENT_NO_CONNECTION = 158;
constexpr int SEGMENT_CLOSED_BEFORE_HEAD = 173;
constexpr int SEGMENT_NO_HEAD_END = 181;
constexpr int SEGMENT_BAD_RESPONSE = 206;       // not 206, or a Content-Range at another byte
constexpr int SEGMENT_GAVE_UP = 230;            // too long without progress, or too many reconnects

// Resume record "break.cfg"
constexpr int RESUME_CANNOT_READ = 91;
constexpr int RESUME_CANNOT_WRITE = 103;
constexpr int RESUME_URL_LENGTH_SHORT = 116;
constexpr int RESUME_URL_LENGTH_RANGE = 120;
constexpr int RESUME_FILE_LENGTH_SHORT = 125;
constexpr int RESUME_FILE_LENGTH_RANGE = 129;
constexpr int RESUME_COUNT_SHORT = 134;
constexpr int RESUME_COUNT_RANGE = 138;
constexpr int RESUME_URL_SHORT = 145;
constexpr int RESUME_TABLE_SHORT = 153;
constexpr int RESUME_READ_INDEX = 175;
constexpr int RESUME_WRITE_INDEX = 186;
constexpr int RESUME_POSITION_RANGE = 190;      // a saved position outside its segment
// Validation against the download at hand
constexpr int RESUME_OTHER_URL = 43;
constexpr int RESUME_OTHER_LENGTH = 47;
constexpr int RESUME_OTHER_COUNT = 51;
constexpr int RESUME_OTHER_FILE_SIZE = 55;

}  // namespace updater
