#pragma once
// Included after <cstdio> and <jpeglib.h>.
#include <QString>
#include <csetjmp>

namespace platform::detail {

// libjpeg's default error handler ends the process. This one jumps back to the setjmp of
// the step that called into the library, and keeps the message for the exception.
struct JpegErrorManager {
    jpeg_error_mgr base; // first member: libjpeg hands back a pointer to it
    std::jmp_buf jump;
    char message[JMSG_LENGTH_MAX];
    // Set by warnings that mean picture data is missing or garbled (a truncated file, a bad
    // code); harmless ones such as stray bytes between markers leave it clear.
    bool damaged;
};

// Prepares the manager and answers the pointer to give to cinfo->err.
jpeg_error_mgr* installJpegErrorManager(JpegErrorManager& manager);

QString jpegMessage(const JpegErrorManager& manager);

} // namespace platform::detail
