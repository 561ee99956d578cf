#include "bin/file/BIN_FileHeader.h"

#include "bin/BIN_record.h"
#include "glo/GLO_Identity.h"

namespace bin {

void FileHeader_t::write(basic_ostream& out) const {
    out.write(kSignature, 4);
    out.write(kSignature + 4, 2);

    record_t format('D');
    format << m_formatVersion;
    out << format;

    const glo::BuildStamp_t& stamp = glo::buildStamp();
    record_t writer('A');
    writer << m_writerVersion << stamp.label << stamp.date << stamp.time;
    out << writer;
}

} // namespace bin
