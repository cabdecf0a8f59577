#include "SoilTexture.h"

#include <cctype>

namespace pelorin {

namespace {

std::string Normalised(std::string_view name) {
    while (!name.empty() && std::isspace(static_cast<unsigned char>(name.front())))
        name.remove_prefix(1);
    while (!name.empty() && std::isspace(static_cast<unsigned char>(name.back())))
        name.remove_suffix(1);
    std::string lower(name);
    for (char& ch : lower) ch = static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
    return lower;
}

}  // namespace

const TextureClass* FindTextureClass(std::string_view name) {
    const std::string wanted = Normalised(name);
    for (const TextureClass& texture : kTextureClasses)
        if (wanted == texture.name) return &texture;
    return nullptr;
}

std::optional<double> TextureConductivity(std::string_view name, UnitSystem units) {
    const TextureClass* texture = FindTextureClass(name);
    if (texture == nullptr) return std::nullopt;
    return units == UnitSystem::US ? texture->ftPerDay : texture->metresPerDay;
}

std::string TypicalNote(const TextureClass& texture) {
    return std::string("typical for ") + texture.name + ", not measured";
}

}  // namespace pelorin
