#include "rec/REC_FileHeader.h"

#include "bin/BIN_record.h"
#include "glo/GLO_Identity.h"

namespace rec {

void FileHeader_t::write(bin::basic_ostream& out) const {
    out.write(kSignature, 4);
    out.write(kSignature + 4, 2);

    bin::record_t format(typeByte(RecordType::Format));
    format << m_formatVersion;
    out << format;

    const glo::BuildStamp_t& stamp = glo::buildStamp();
    bin::record_t writer(typeByte(RecordType::Writer));
    writer << m_writerVersion << stamp.label << stamp.date << stamp.time;
    out << writer;
}

void readFormatRecord(Payload_t& payload, FileInfo_t& info) {
    payload.in().readU16(info.formatVersion);
    payload.finish(RecordType::Format);
    if (info.formatVersion > kNewestReadableVersion)
        payload.fail("REC_FileHeader.cpp", 33,
                     "format version " + std::to_string(info.formatVersion) + " is newer than 105");
}

void readWriterRecord(Payload_t& payload, FileInfo_t& info) {
    payload.in().readU16(info.writerVersion);
    payload.in() >> info.buildLabel >> info.buildDate >> info.buildTime;
    payload.finish(RecordType::Writer);
}

} // namespace rec
