#include "browser/windows/LoginLayout.h"

std::array<Edges, kLoginSlotCount> LoginLayout() {
    std::array<Edges, kLoginSlotCount> slots;
    slots[kLoginMinimize] = {965, 96, 986, 117};
    slots[kLoginClose] = {989, 85, 1019, 114};
    slots[kLoginHome] = {533, 85, 630, 111};
    slots[kLoginPay] = {634, 85, 731, 111};
    slots[kLoginService] = {735, 85, 832, 111};
    slots[kLoginForum] = {837, 85, 934, 111};
    slots[kLoginStatus] = {575, 316, 895, 342};
    return slots;
}

Edges LoginViewRect(bool pageFailed) {
    if (pageFailed)
        return {-100, -100, -50, -50};
    return {467, 152, 467 + 536, 152 + 354};
}
