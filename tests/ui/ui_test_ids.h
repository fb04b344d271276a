// Resource ids of the toolkit's test programs.
#pragma once

#define IDT_RGBA 501
#define IDT_RGB 502
#define IDT_PALETTE 503
#define IDT_SOLID 504
#define IDT_SOLID_RGBA 505
#define IDT_KEYHOLE 506
#define IDT_KEYHOLE_BMP 507 // bitmap resource
#define IDT_CORRUPT 508     // a "PNG" resource cut short
#define IDT_PALETTE4 509    // 4-bit palette, no transparency
#define IDT_BLACK 510
#define IDT_PALETTE2 511 // 2-bit palette
#define IDT_MISSING 599 // neither "PNG" nor bitmap
