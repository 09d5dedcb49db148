// Project records and kalder.dat images (see level_writer.h).
#include "tests/support/level_writer.h"

#include <algorithm>
#include <cstring>
#include <utility>

#include "tests/support/pack_writer.h"

namespace kalder_test {

LevelRecordBuilder::LevelRecordBuilder() : bytes_(level::kSize, 0) {}

LevelRecordBuilder::LevelRecordBuilder(std::vector<uint8_t> bytes) : bytes_(std::move(bytes))
{
    bytes_.resize(level::kSize, 0);
}

LevelRecordBuilder &LevelRecordBuilder::U8(size_t offset, uint8_t value)
{
    bytes_.at(offset) = value;
    return *this;
}

LevelRecordBuilder &LevelRecordBuilder::I32(size_t offset, int32_t value)
{
    uint32_t v = uint32_t(value);
    for (size_t k = 0; k < 4; k++) {
        bytes_.at(offset + k) = uint8_t(v >> (8 * k));
    }
    return *this;
}

LevelRecordBuilder &LevelRecordBuilder::I32s(size_t offset, const std::vector<int32_t> &values)
{
    for (size_t k = 0; k < values.size(); k++) {
        I32(offset + 4 * k, values[k]);
    }
    return *this;
}

LevelRecordBuilder &LevelRecordBuilder::Text(size_t offset, size_t size, const std::string &text)
{
    for (size_t k = 0; k < size; k++) {
        bytes_.at(offset + k) = k < text.size() ? uint8_t(text[k]) : 0;
    }
    return *this;
}

LevelRecordBuilder &LevelRecordBuilder::Name(const std::string &name)
{
    return Text(level::kName, level::kNameSize, name);
}

LevelRecordBuilder &LevelRecordBuilder::InUse() { return U8(level::kFlags, uint8_t(bytes_[level::kFlags] | 1)); }

LevelRecordBuilder &LevelRecordBuilder::Exit(size_t i, const std::string &name, const std::string &target,
                                             uint32_t flags, const std::vector<int32_t> &box_min,
                                             const std::vector<int32_t> &box_max)
{
    size_t at = level::Exit(i);
    Text(at + level::kExitName, level::kExitTextSize, name);
    Text(at + level::kExitTarget, level::kExitTextSize, target);
    I32(at + level::kExitFlags, int32_t(flags));
    I32s(at + level::kExitBoxMin, box_min);
    return I32s(at + level::kExitBoxMax, box_max);
}

LevelRecordBuilder &LevelRecordBuilder::Element(size_t i, const std::string &name, const std::string &file)
{
    size_t at = level::Element(i);
    Text(at + level::kElementName, 12, name);
    return Text(at + level::kElementFile, 16, file);
}

LevelRecordBuilder &LevelRecordBuilder::Zone(size_t i, const std::string &name, int32_t type,
                                             const std::vector<int32_t> &points)
{
    size_t at = level::Zone(i);
    Text(at + level::kZoneName, 12, name);
    I32s(at + level::kZonePoints, points);
    I32(at + level::kZonePointCount, int32_t(points.size() / 3));
    I32(at + level::kZoneFlags, 1);
    return I32(at + level::kZoneType, type);
}

LevelRecordBuilder &LevelRecordBuilder::ZoneBox(size_t i, const std::vector<int32_t> &box_min,
                                                const std::vector<int32_t> &box_max)
{
    I32s(level::Zone(i) + level::kZoneBoxMin, box_min);
    return I32s(level::Zone(i) + level::kZoneBoxMax, box_max);
}

LevelRecordBuilder &LevelRecordBuilder::ZoneRate(size_t i, int32_t rate) { return I32(level::Zone(i) + level::kZoneRate, rate); }

LevelRecordBuilder &LevelRecordBuilder::ZoneFlags(size_t i, int32_t flags)
{
    return I32(level::Zone(i) + level::kZoneFlags, flags);
}

LevelRecordBuilder &LevelRecordBuilder::Trigger(size_t i, int32_t element_a, int32_t element_b,
                                                uint32_t conditions, uint32_t actions, const std::string &film,
                                                int32_t period)
{
    size_t at = level::Trigger(i);
    I32(at + level::kTriggerElementA, element_a);
    I32(at + level::kTriggerElementA2, -1);
    I32(at + level::kTriggerElementB, element_b);
    I32(at + level::kTriggerZone, -1);
    I32(at + level::kTriggerConditions, int32_t(conditions));
    I32(at + level::kTriggerActions, int32_t(actions));
    I32(at + level::kTriggerFlags, 1);
    Text(at + level::kTriggerFilm, 16, film);
    return I32(at + level::kTriggerPeriod, period);
}

LevelRecordBuilder &LevelRecordBuilder::Trigger(size_t i, const TriggerSource &t)
{
    const size_t at = level::Trigger(i);
    I32(at + level::kTriggerElementA, t.element_a).I32(at + level::kTriggerElementA2, t.element_a2);
    I32(at + level::kTriggerElementB, t.element_b).I32(at + level::kTriggerZone, t.zone);
    I32(at + level::kTriggerEvent, t.event).I32(at + level::kTriggerConditions, int32_t(t.conditions));
    I32(at + level::kTriggerActions, int32_t(t.actions)).I32(at + level::kTriggerFlags, int32_t(t.flags));
    Text(at + level::kTriggerFilm, 16, t.film);
    return I32(at + level::kTriggerPeriod, t.period);
}

TriggerSource DamagedTrigger()
{
    TriggerSource t;
    t.element_a = 16;
    t.element_a2 = -2;
    t.element_b = 16;
    t.zone = 12;
    t.film = "ABCDEFGHIJKLMNOP";
    t.period = 80000000;
    return t;
}

std::vector<uint8_t> BlankEditorRecord()
{
    LevelRecordBuilder record;
    record.Name("EMPTY");
    for (size_t i = 0; i < level::kExitCount; i++) {
        record.Text(level::Exit(i) + level::kExitName, level::kExitTextSize, "EMPTY");
    }
    for (size_t i = 0; i < level::kElementCount; i++) {
        record.Element(i, "EMPTY", "EMPTY");
    }
    return record.Bytes();
}

std::vector<uint8_t> ZeroRunPack(const std::vector<uint8_t> &record)
{
    std::vector<uint8_t> packed;
    size_t i = 0;
    while (i < record.size()) {
        if (record[i] != 0) {
            packed.push_back(record[i++]);
            continue;
        }
        size_t end = i;
        while (end < record.size() && record[end] == 0) {
            end++;
        }
        for (size_t left = end - i; left > 0;) {
            size_t n = std::min<size_t>(left, 255);
            packed.push_back(0);
            packed.push_back(uint8_t(n));
            left -= n;
        }
        i = end;
    }
    return packed;
}

KalderDatWriter::KalderDatWriter() : records(150, BlankEditorRecord()) {}

std::vector<uint8_t> KalderDatWriter::Image() const
{
    std::vector<uint8_t> data;
    std::vector<int32_t> offsets(256, 0);
    for (size_t i = 0; i < records.size(); i++) {
        offsets[i] = int32_t(data.size());
        auto raw = raw_records.find(int(i));
        std::vector<uint8_t> packed = raw != raw_records.end() ? raw->second : ZeroRunPack(records[i]);
        data.insert(data.end(), packed.begin(), packed.end());
    }
    offsets[records.size()] = int32_t(data.size());
    for (const auto &[entry, value] : offset_overrides) {
        offsets.at(size_t(entry)) = value;
    }
    std::vector<uint8_t> image(1024);
    for (size_t i = 0; i < 256; i++) {
        for (size_t k = 0; k < 4; k++) {
            image[4 * i + k] = uint8_t(uint32_t(offsets[i]) >> (8 * k));
        }
    }
    image.insert(image.end(), data.begin(), data.end());
    image.insert(image.end(), append.begin(), append.end());
    if (truncate_at >= 0 && size_t(truncate_at) < image.size()) {
        image.resize(size_t(truncate_at));
    }
    return image;
}

bool KalderDatWriter::Write(const std::string &host_path) const { return WriteHostFile(host_path, Image()); }

KalderDatWriter MinimalDatabase()
{
    KalderDatWriter database;
    database.records[0] = LevelRecordBuilder(BlankEditorRecord()).Name("Project0").InUse().Bytes();
    return database;
}

bool WriteMinimalDatabase(const std::string &host_folder)
{
    return WriteHostFile(host_folder + "/kalder.dat", MinimalDatabase().Image());
}

} // namespace kalder_test
