// SPDX-License-Identifier: GPL-3.0-or-later
#include "jpeg_picture.h"

#include <csetjmp>
#include <cstdio>

#include <jpeglib.h>

namespace {

// libjpeg reports a fatal error by calling error_exit, which must not
// return: it jumps back to decodeJpeg with the library's words. Warnings are
// dropped, since a core never prints.
struct JumpingErrors {
    jpeg_error_mgr manager;
    std::jmp_buf back;
    char message[JMSG_LENGTH_MAX];
};

void jumpBack(j_common_ptr info)
{
    auto* errors = reinterpret_cast<JumpingErrors*>(info->err);
    (*info->err->format_message)(info, errors->message);
    std::longjmp(errors->back, 1);
}

void dropMessage(j_common_ptr) {}

}  // namespace

JpegResult decodeJpeg(const unsigned char* data, std::size_t size, bool (*tooLarge)(int, int, std::int64_t),
                      std::int64_t maxPixels, JpegPicture& picture, std::string& reason)
{
    // Everything a jump back may meet lives before setjmp, so no object's
    // end is skipped by it.
    picture = JpegPicture{};
    jpeg_decompress_struct info{};
    JumpingErrors errors{};
    JpegResult result = JpegResult::Ok;
    info.err = jpeg_std_error(&errors.manager);
    errors.manager.error_exit = jumpBack;
    errors.manager.output_message = dropMessage;
    if (setjmp(errors.back) != 0) {
        jpeg_destroy_decompress(&info);
        picture = JpegPicture{};
        reason = errors.message;
        return JpegResult::Damaged;
    }
    jpeg_create_decompress(&info);
    jpeg_mem_src(&info, data, static_cast<unsigned long>(size));
    jpeg_read_header(&info, TRUE);
    picture.width = static_cast<int>(info.image_width);
    picture.height = static_cast<int>(info.image_height);
    if (tooLarge(picture.width, picture.height, maxPixels)) {
        result = JpegResult::TooLarge;
    } else {
        info.out_color_space = JCS_EXT_RGBA;
        jpeg_start_decompress(&info);
        picture.width = static_cast<int>(info.output_width);
        picture.height = static_cast<int>(info.output_height);
        const std::size_t row = std::size_t{4} * info.output_width;
        picture.rgba.resize(row * info.output_height);
        while (info.output_scanline < info.output_height) {
            JSAMPROW at = picture.rgba.data() + row * info.output_scanline;
            jpeg_read_scanlines(&info, &at, 1);
        }
        jpeg_finish_decompress(&info);
    }
    jpeg_destroy_decompress(&info);
    return result;
}
