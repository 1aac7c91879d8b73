#ifdef _WIN32

#include "input/DirectInputMouseDevice.h"

#define DIRECTINPUT_VERSION 0x0800
#define WIN32_LEAN_AND_MEAN
#include <dinput.h>
#include <windows.h>

#include "core/Exception.h"

namespace arvel {

namespace {
constexpr const char* kLocation = "Input\\WindowsMouse";
}

struct DirectInputMouseDevice::Interfaces {
    IDirectInput8A* input = nullptr;
    IDirectInputDevice8A* device = nullptr;
    HANDLE event = nullptr;
};

DirectInputMouseDevice::DirectInputMouseDevice() : system_(std::make_unique<Interfaces>()) {}

DirectInputMouseDevice::~DirectInputMouseDevice() {
    if (system_->device) {
        system_->device->Unacquire();
        system_->device->SetEventNotification(nullptr);
        system_->device->Release();
    }
    if (system_->event) CloseHandle(system_->event);
    if (system_->input) system_->input->Release();
}

bool DirectInputMouseDevice::open(platform::Window* window) {
    HINSTANCE instance = GetModuleHandleA(nullptr);
    HWND hwnd = reinterpret_cast<HWND>(window);
    Interfaces& s = *system_;
    if (FAILED(DirectInput8Create(instance, DIRECTINPUT_VERSION, IID_IDirectInput8A,
                                  reinterpret_cast<void**>(&s.input), nullptr)))
        throw new Exception(25, kLocation, "Could not find directx 8");
    if (FAILED(s.input->CreateDevice(GUID_SysMouse, &s.device, nullptr)))
        throw new Exception(33, kLocation, "No mouse detected");
    if (FAILED(s.device->SetDataFormat(&c_dfDIMouse)))
        throw new Exception(41, kLocation, "Could not set mouse data format");
    if (FAILED(s.device->SetCooperativeLevel(hwnd, DISCL_EXCLUSIVE | DISCL_FOREGROUND)))
        throw new Exception(49, kLocation, "Could not set mouse cooperative level");
    s.event = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    if (s.event == nullptr) throw new Exception(57, kLocation, "Could not create a windows event");
    if (FAILED(s.device->SetEventNotification(s.event)))
        throw new Exception(64, kLocation, "Could not set mouse cooperative level");
    return true;
}

bool DirectInputMouseDevice::setBufferSize(int events) {
    if (system_->device == nullptr || events <= 0) return false;
    DIPROPDWORD property{};
    property.diph.dwSize = sizeof property;
    property.diph.dwHeaderSize = sizeof property.diph;
    property.diph.dwObj = 0;
    property.diph.dwHow = DIPH_DEVICE;
    property.dwData = static_cast<DWORD>(events);
    return SUCCEEDED(system_->device->SetProperty(DIPROP_BUFFERSIZE, &property.diph));
}

MouseDevice::Result DirectInputMouseDevice::next(platform::MouseEvent& event) {
    if (system_->device == nullptr) return kFailed;
    for (;;) {
        DIDEVICEOBJECTDATA data{};
        DWORD count = 1;
        const HRESULT result = system_->device->GetDeviceData(sizeof data, &data, &count, 0);
        if (result == DIERR_INPUTLOST || result == DIERR_NOTACQUIRED) return kNotAcquired;
        if (FAILED(result)) return kFailed;
        if (count == 0) return kEmpty;
        // The offsets are field offsets of the mouse state, not constants a switch takes.
        const DWORD offset = data.dwOfs;
        const int value = static_cast<int>(data.dwData);
        if (offset == DIMOFS_X) {
            event = {platform::MouseEvent::kMotionX, value};
            return kEvent;
        }
        if (offset == DIMOFS_Y) {
            event = {platform::MouseEvent::kMotionY, value};
            return kEvent;
        }
        if (offset == DIMOFS_BUTTON0 || offset == DIMOFS_BUTTON1 || offset == DIMOFS_BUTTON2) {
            event = {platform::MouseEvent::kButton, (data.dwData & 0x80) ? 1 : 0};
            event.button = static_cast<int>(offset - DIMOFS_BUTTON0);
            return kEvent;
        }
        if (offset == DIMOFS_Z) {
            event = {platform::MouseEvent::kWheel, value};
            return kEvent;
        }
        // The fourth button moves nothing in the game: read on.
    }
}

bool DirectInputMouseDevice::acquire() {
    return system_->device != nullptr && SUCCEEDED(system_->device->Acquire());
}

void DirectInputMouseDevice::unacquire() {
    if (system_->device) system_->device->Unacquire();
}

}  // namespace arvel

#endif  // _WIN32
