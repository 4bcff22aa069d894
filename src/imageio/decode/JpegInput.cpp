#include "imageio/decode/JpegInput.h"

#include "imageio/DecodeLimits.h"
#include "imageio/decode/FileBytes.h"

#include <jerror.h>

namespace {

void onProgress(j_common_ptr common) {
    auto* cinfo = reinterpret_cast<j_decompress_ptr>(common);
    auto* budget = reinterpret_cast<JpegInput::ScanBudget*>(cinfo->progress);
    if (cinfo->input_scan_number == budget->lastScan)
        return;
    budget->lastScan = cinfo->input_scan_number;
    ++budget->scans;
    for (int i = 0; i < cinfo->comps_in_scan; ++i)
        budget->blocks += qint64(cinfo->cur_comp_info[i]->width_in_blocks) *
                          cinfo->cur_comp_info[i]->height_in_blocks;
    if (budget->scans > DecodeLimits::jpegMaxScans ||
        budget->blocks > DecodeLimits::jpegMaxScanBlocks) {
        budget->exceeded = true;
        (*cinfo->err->error_exit)(common);
    }
}

void startSource(j_decompress_ptr) {}
void termSource(j_decompress_ptr) {}

boolean fillSource(j_decompress_ptr cinfo) {
    auto* source = reinterpret_cast<JpegInput::FileSource*>(cinfo->src);
    const qint64 got =
        FileBytes::readAt(*source->file, source->at, source->buffer, qint64(sizeof source->buffer));
    source->mgr.next_input_byte = source->buffer;
    if (got <= 0) {
        WARNMS(cinfo, JWRN_JPEG_EOF);
        static const JOCTET end[] = {0xFF, JPEG_EOI};
        source->mgr.next_input_byte = end;
        source->mgr.bytes_in_buffer = 2;
        return TRUE;
    }
    source->at += got;
    source->mgr.bytes_in_buffer = size_t(got);
    return TRUE;
}

void skipSource(j_decompress_ptr cinfo, long count) {
    auto* source = reinterpret_cast<JpegInput::FileSource*>(cinfo->src);
    if (count <= 0)
        return;
    if (size_t(count) <= source->mgr.bytes_in_buffer) {
        source->mgr.next_input_byte += count;
        source->mgr.bytes_in_buffer -= size_t(count);
        return;
    }
    source->at += qint64(count) - qint64(source->mgr.bytes_in_buffer);
    source->mgr.bytes_in_buffer = 0;
}

} // namespace

namespace JpegInput {

void useFile(j_decompress_ptr cinfo, FileSource& source) {
    source.mgr.init_source = startSource;
    source.mgr.fill_input_buffer = fillSource;
    source.mgr.skip_input_data = skipSource;
    source.mgr.resync_to_restart = jpeg_resync_to_restart;
    source.mgr.term_source = termSource;
    source.mgr.bytes_in_buffer = 0;
    source.mgr.next_input_byte = nullptr;
    cinfo->src = &source.mgr;
}

void watchScans(j_decompress_ptr cinfo, ScanBudget& budget) {
    budget.mgr.progress_monitor = onProgress;
    cinfo->progress = &budget.mgr;
}

} // namespace JpegInput
