#pragma once
// The settings keys the logger link reads and writes, reached at the moment they are
// needed. StoreSettingsAccess binds it to Kestrel.ini; tests keep settings in memory.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "modem_state.h"
#include "settings/settings_store.h"

namespace kestrel {

class SettingsAccess {
  public:
    virtual ~SettingsAccess() = default;
    virtual std::int32_t readInt(std::string_view key, std::int32_t defaultValue) = 0;
    // At most capacity - 1 characters, as a buffer of capacity characters holds.
    virtual std::string readString(std::string_view key, std::string_view defaultValue,
                                   std::size_t capacity) = 0;
    virtual void writeString(std::string_view key, std::string_view text) = 0;
};

class StoreSettingsAccess final : public SettingsAccess {
  public:
    explicit StoreSettingsAccess(const SettingsStore& store) : store_(store) {}
    std::int32_t readInt(std::string_view key, std::int32_t defaultValue) override {
        return store_.readSettingInt(key, defaultValue);
    }
    std::string readString(std::string_view key, std::string_view defaultValue,
                           std::size_t capacity) override {
        return store_.readSettingString(key, defaultValue, capacity);
    }
    void writeString(std::string_view key, std::string_view text) override {
        store_.writeSetting(key, text);
    }

  private:
    const SettingsStore& store_;
};

}  // namespace kestrel
