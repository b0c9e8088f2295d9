#pragma once
// The settings keys the logger link reads and writes, reached through the settings
// store at the moment they are needed (the composition root binds this to the store).
#include <string>
#include <string_view>

namespace kestrel {

class SettingsAccess {
  public:
    virtual ~SettingsAccess() = default;
    virtual int readInt(std::string_view key, int defaultValue) = 0;
    virtual std::string readString(std::string_view key, std::string_view defaultValue) = 0;
    virtual void writeString(std::string_view key, std::string_view text) = 0;
};

}  // namespace kestrel
