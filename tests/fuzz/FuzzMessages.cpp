// Reading host messages record by record must give exactly what a plain parse gives, for any bytes and after any
// earlier frame: a wrongly cut list would show records the host never sent. Each input is two frames, the second
// often an edit of the first, so the reuse of unchanged records is exercised.
#include "FuzzSupport.h"
#include "host/MessageReader.h"

#include <QJsonDocument>

namespace {

std::optional<QJsonObject> plainParse(const QByteArray& frame) {
    const QJsonDocument document = QJsonDocument::fromJson(frame);
    return document.isObject() ? std::optional<QJsonObject>(document.object()) : std::nullopt;
}

void readChecked(MessageReader& reader, const QByteArray& frame) {
    const std::optional<QJsonObject> read = reader.read(frame);
    const std::optional<QJsonObject> expected = plainParse(frame);
    FUZZ_CHECK(read.has_value() == expected.has_value(), "read and parse disagree on whether this is a message");
    FUZZ_CHECK(!read || *read == *expected, "read and parse give different messages");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider input(data, size);
    const std::string first = input.ConsumeRandomLengthString(8192);
    QByteArray second = QByteArray::fromStdString(input.ConsumeRemainingBytesAsString());
    MessageReader reader(0);
    readChecked(reader, QByteArray::fromStdString(first));
    // An empty second part repeats the first with one byte changed in the middle, like a snapshot that moved on.
    if (second.isEmpty() && !first.empty()) {
        second = QByteArray::fromStdString(first);
        second[second.size() / 2] = char(second.at(second.size() / 2) ^ 1);
    }
    readChecked(reader, second);
    return 0;
}
