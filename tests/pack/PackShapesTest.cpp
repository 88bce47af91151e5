// Code outside this project compiles against these exact signatures of the builders: a change of
// a parameter type, a result or a const fails this file rather than that code.
#include <QIODevice>
#include <cstdint>
#include <functional>
#include <string>
#include <type_traits>
#include <vector>

#include "pack/BuildInstaller.h"
#include "pack/CaPack.h"
#include "pack/CaPackImages.h"
#include "pack/CaPackSetup.h"

// The operation converts to this member or function pointer type, which takes the exact
// parameter and result types and the same const.
#define HAS_SHAPE(Pointer, operation) std::is_convertible_v<decltype(&operation), Pointer>

namespace {

using Strings = std::vector<std::string>;

static_assert(std::is_constructible_v<TCaPackSetup, const std::string&, const std::string&>);
static_assert(HAS_SHAPE(void(TCaPackSetup::*)(), TCaPackSetup::AddIeStub));
static_assert(HAS_SHAPE(void(TCaPackSetup::*)(), TCaPackSetup::AddSsStub));
static_assert(HAS_SHAPE(void(TCaPackSetup::*)(), TCaPackSetup::AddUiStub));
static_assert(HAS_SHAPE(void(TCaPackSetup::*)(const TSaverSettings&), TCaPackSetup::AddSettings));
static_assert(HAS_SHAPE(void(TCaPackSetup::*)(const Strings&), TCaPackSetup::AddImagePack));
static_assert(HAS_SHAPE(void(TCaPackSetup::*)(const std::string&), TCaPackSetup::AddSound));
static_assert(HAS_SHAPE(void(TCaPackSetup::*)(), TCaPackSetup::AddTrailer));
static_assert(HAS_SHAPE(void(TCaPackSetup::*)(), TCaPackSetup::AddMarker));
static_assert(HAS_SHAPE(void(TCaPackSetup::*)(const std::string&), TCaPackSetup::SaveToFile));

static_assert(std::is_default_constructible_v<TCaPack>);
static_assert(HAS_SHAPE(void(TCaPack::*)(), TCaPack::Clear));
static_assert(std::is_invocable_v<decltype(&TCaPack::AddBuffer), TCaPack&, const char*, int32_t>);
static_assert(HAS_SHAPE(int32_t(TCaPack::*)(QIODevice&), TCaPack::AddStream));
static_assert(HAS_SHAPE(int32_t(TCaPack::*)(const std::string&), TCaPack::AddFile));
static_assert(HAS_SHAPE(void(TCaPack::*)(const std::string&), TCaPack::SaveToFile));

static_assert(std::is_base_of_v<TCaPack, TCaPackImages>);
static_assert(std::is_base_of_v<TCaPack, TCaPackSetup>);
static_assert(HAS_SHAPE(void(TCaPackImages::*)(), TCaPackImages::AddMarker));
static_assert(HAS_SHAPE(void(TCaPackImages::*)(const Strings&), TCaPackImages::AddImages));
static_assert(HAS_SHAPE(void(TCaPackImages::*)(int, const std::string&), TCaPackImages::AddImage));
static_assert(HAS_SHAPE(void(TCaPackImages::*)(), TCaPackImages::AddDirectory));

static_assert(HAS_SHAPE(void (*)(const std::string&,
                                 const std::string&,
                                 const std::string&,
                                 const TSaverSettings&,
                                 const Strings&,
                                 const std::string&,
                                 const std::string&,
                                 const std::function<void()>&),
                        BuildInstaller));

}  // namespace
