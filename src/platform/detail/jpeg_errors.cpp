#include <cstdio>
#include <jpeglib.h>
#include <jerror.h>
#include "platform/detail/jpeg_errors.h"

namespace platform::detail {

namespace {

JpegErrorManager& managerOf(j_common_ptr info)
{
    return *reinterpret_cast<JpegErrorManager*>(info->err);
}

[[noreturn]] void jumpOnError(j_common_ptr info)
{
    // The error explains the failure better than any warning seen before it.
    (*info->err->format_message)(info, managerOf(info).message);
    std::longjmp(managerOf(info).jump, 1);
}

// Warnings are counted by libjpeg itself (num_warnings); the first one is kept as the
// reason, nothing is printed on stderr.
void keepFirstMessage(j_common_ptr info)
{
    JpegErrorManager& manager = managerOf(info);
    switch (info->err->msg_code) {
    case JWRN_EXTRANEOUS_DATA:
    case JWRN_ADOBE_XFORM:
    case JWRN_JFIF_MAJOR:
    case JWRN_BOGUS_PROGRESSION:
        return; // common in pictures from cameras and editors; the picture is whole
    default:
        break;
    }
    manager.damaged = true;
    if (manager.message[0] == '\0')
        (*info->err->format_message)(info, manager.message);
}

} // namespace

jpeg_error_mgr* installJpegErrorManager(JpegErrorManager& manager)
{
    jpeg_error_mgr* base = jpeg_std_error(&manager.base);
    base->error_exit = jumpOnError;
    base->output_message = keepFirstMessage;
    manager.message[0] = '\0';
    manager.damaged = false;
    return base;
}

QString jpegMessage(const JpegErrorManager& manager)
{
    return manager.message[0] ? QString::fromLocal8Bit(manager.message)
                              : QStringLiteral("unknown decoder failure");
}

} // namespace platform::detail
