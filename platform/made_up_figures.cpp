#include "platform/made_up_figures.h"

#include <algorithm>

#include "drive/attributes.h"

namespace halvoric {

AttributeEntry MadeUpEntry(std::uint8_t id, std::uint8_t value) {
  AttributeEntry entry{};
  entry.Id = id;
  entry.Flags[0] = kMadeUpFlags;
  entry.Value = entry.Worst = value;
  return entry;
}

AttributeEntry MadeUpTemperatureEntry(int celsius) {
  AttributeEntry entry = MadeUpEntry(
      kTemperatureAttribute,
      static_cast<std::uint8_t>(std::clamp(celsius, kLowestNormalised, kHighestNormalised)));
  entry.Raw[0] = static_cast<std::uint8_t>(std::clamp(celsius, 0, 255));
  return entry;
}

}  // namespace halvoric
