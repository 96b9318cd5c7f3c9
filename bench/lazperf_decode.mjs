// Decodes every point of a LAZ file with laz-perf (WebAssembly), as a peer to time.
import { createLazPerf } from 'laz-perf';
import { readFileSync } from 'fs';
const bytes = readFileSync(process.argv[2]);
const t0 = performance.now();
const lp = await createLazPerf();
const file = lp._malloc(bytes.length);
lp.HEAPU8.set(bytes, file);
const laz = new lp.LASZip();
laz.open(file, bytes.length);
const n = laz.getCount(), len = laz.getPointLength();
const point = lp._malloc(len);
let sx = 0;
for (let i = 0; i < n; ++i) { laz.getPoint(point); sx += lp.HEAP32[point >> 2]; }
console.log(`${n} points, ${((performance.now() - t0)).toFixed(1)} ms, x sum ${sx}`);
