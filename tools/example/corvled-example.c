/*
 * corvled-example: the smallest CorvaneLED client. Connects to the host software, lights
 * the whole keyboard, one key and a bitmap, then gives the keyboard back.
 * Plain C on purpose: it proves the public header is usable from C.
 */
#include <CorvaneLED.h>

#include <stdio.h>
#include <string.h>

int main(void) {
    int major = 0, minor = 0, build = 0;
    CorvLedGetSdkVersion(&major, &minor, &build);
    printf("CorvaneLED %d.%d.%d\n", major, minor, build);

    if (!CorvLedInit()) {
        fprintf(stderr, "corvled-example: the Corvane host software is not reachable\n");
        return 1;
    }
    CorvLedSetTargetDevice(7);
    CorvLedSetLighting(0, 0, 100); /* whole keyboard blue (percent) */
    CorvLedSetLightingForKeyWithKeyName(CLK_Escape, 100, 0, 0);

    /* A bitmap: every cell green, Esc (row 0, column 0) red. Cells are B, G, R, A. */
    unsigned char bitmap[CORVLED_BITMAP_SIZE];
    for (int cell = 0; cell < CORVLED_BITMAP_SIZE / 4; ++cell) {
        bitmap[cell * 4 + 0] = 0;
        bitmap[cell * 4 + 1] = 255;
        bitmap[cell * 4 + 2] = 0;
        bitmap[cell * 4 + 3] = 255;
    }
    memcpy(bitmap, "\x00\x00\xff\xff", 4);
    CorvLedSetLightingFromBitmap(bitmap);

    CorvLedShutdown();
    printf("done\n");
    return 0;
}
