// Runs every browser test (tests/e2e/*.test.mjs) with Node's test runner, one file
// at a time (each starts its own appserver, host and Chromium).
import { spawnSync } from 'node:child_process';
import { readdirSync } from 'node:fs';
import { dirname, join } from 'node:path';
import { fileURLToPath } from 'node:url';

const here = dirname(fileURLToPath(import.meta.url));
const only = process.argv.slice(2);
const files = readdirSync(here)
  .filter((name) => name.endsWith('.test.mjs'))
  .filter((name) => only.length === 0 || only.some((o) => name.includes(o)))
  .sort()
  .map((name) => join(here, name));

if (files.length === 0) {
  console.log('e2e: no browser tests found');
  process.exit(0);
}
const result = spawnSync(process.execPath, ['--test', '--test-concurrency=1', ...files], { stdio: 'inherit' });
process.exit(result.status ?? 1);
