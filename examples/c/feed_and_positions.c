/* Prints the feed rate and the positions of a controller:
 *   feed_and_positions HOST PORT */
#include <stdio.h>
#include <stdlib.h>

#include <ozlib.h>

static double scaled(int32_t v, int dec) {
  double d = v;
  while (dec-- > 0) d /= 10;
  return d;
}

int main(int argc, char** argv) {
  if (argc != 3) {
    fprintf(stderr, "usage: %s HOST PORT\n", argv[0]);
    return 2;
  }
  uint16_t h;
  short rc = cnc_allclibhndl3(argv[1], (uint16_t)atoi(argv[2]), 10, &h);
  if (rc != EW_SUCCESS) {
    fprintf(stderr, "cnc_allclibhndl3: %d\n", rc);
    return 1;
  }
  actf_t feed;
  axisname_t names[32];
  axisrec_t pos[4 * 32];
  int16_t n = 32;
  if ((rc = cnc_actf(h, &feed)) == EW_SUCCESS && (rc = cnc_rdaxisname(h, &n, names)) == EW_SUCCESS &&
      (rc = cnc_rdposition(h, -1, &n, pos)) == EW_SUCCESS) {
    printf("feed %d\n", (int)feed.data);
    for (int i = 0; i < n; ++i)   /* absolute position, decimals applied */
      printf("%c %.*f\n", names[i].name, pos[4 * i].dec, scaled(pos[4 * i].data, pos[4 * i].dec));
  }
  cnc_freelibhndl(h);
  return rc == EW_SUCCESS ? 0 : 1;
}
