#pragma once
// The memory a record, a table or a room holds: the structs themselves and every text and
// array they own. The history's commands and the robot they change are counted the same way,
// so the two can be compared.

#include <cstddef>
#include <string>

#include "model/Records.h"
#include "model/clsRooms.h"

namespace mechanon {

std::size_t HistoryBytes(const std::string& text);
// What a record or table owns beyond its own struct (texts, arrays): for one held inside
// another object that is counted whole.
std::size_t OwnedBytes(const torvane::typPartData& record);
std::size_t OwnedBytes(const torvane::typSubPartData& record);
std::size_t OwnedBytes(const torvane::typMotorMasks& table);
std::size_t HistoryBytes(const torvane::typPartData& record);
std::size_t HistoryBytes(const torvane::typSubPartData& record);
std::size_t HistoryBytes(const torvane::typMotorMasks& table);
std::size_t HistoryBytes(const torvane::clsRooms::MotorTables& tables);
// A room's own record, table and subpart records (not the rooms its subparts use).
std::size_t HistoryBytes(const torvane::clsPartRoom& room);
// Every room of the robot.
std::size_t HistoryBytes(const torvane::clsRooms& rooms);

}  // namespace mechanon
