// Starts the real system for a browser test: a fresh SQLite demo database with the
// test user, the application server and the host with its web front end on free
// loopback ports. The host signs in as the test user unless the test signs in itself.
import { spawn, spawnSync } from 'node:child_process';
import { mkdtempSync, rmSync, existsSync } from 'node:fs';
import { createServer } from 'node:net';
import { tmpdir } from 'node:os';
import { dirname, join, resolve } from 'node:path';
import { fileURLToPath } from 'node:url';

export const ROOT = resolve(dirname(fileURLToPath(import.meta.url)), '../../..');
export const BIN = join(ROOT, 'build', 'bin');

export function freePort() {
  return new Promise((resolvePort, reject) => {
    const server = createServer();
    server.once('error', reject);
    server.listen(0, '127.0.0.1', () => {
      const { port } = server.address();
      server.close(() => resolvePort(port));
    });
  });
}

function waitForLine(child, pattern, what, timeoutMs = 20000) {
  return new Promise((resolveLine, reject) => {
    let buffer = '';
    const timer = setTimeout(() => reject(new Error(`${what} did not start in time:\n${buffer}`)), timeoutMs);
    const onData = (chunk) => {
      buffer += chunk.toString();
      const match = pattern.exec(buffer);
      if (match) {
        clearTimeout(timer);
        resolveLine(match);
      }
    };
    child.stdout.on('data', onData);
    child.stderr.on('data', onData);
    child.once('exit', (code) => {
      clearTimeout(timer);
      reject(new Error(`${what} exited with ${code}:\n${buffer}`));
    });
  });
}

export const TEST_USER = 'teste';
export const TEST_PASSWORD = 'senha-de-teste';

// Adds a user to the database (its password hashed at the cost of tests).
export function addUser(db, login, role, password = TEST_PASSWORD) {
  const added = spawnSync(join(BIN, 'appserver'),
    ['user', 'add', '--db', db, login, '--name', `Pessoa ${login}`, '--role', role, '--test-hash'],
    { input: `${password}\n`, encoding: 'utf8' });
  if (added.status !== 0) throw new Error(`appserver user add failed: ${added.stderr}`);
}

// Options: hostArgs (extra host arguments), appserver (start a demo database and an
// application server; default true), demoArgs (extra arguments of the demo database,
// e.g. ['--customers', '500']), module (the module the host loads), signIn (the host
// signs in as the test user, an admin; false: the page shows the sign-in window).
export async function startSystem({ hostArgs = [], appserver = true, demoArgs = [], module = null,
  signIn = true } = {}) {
  const dir = mkdtempSync(join(tmpdir(), 'vqr-e2e-'));
  const db = join(dir, 'demo.db');
  const children = [];
  const serverPort = await freePort();
  if (appserver) {
    const init = spawnSync(join(BIN, 'appserver'), ['init', '--db', db, '--demo', ...demoArgs], { encoding: 'utf8' });
    if (init.status !== 0) throw new Error(`appserver init failed: ${init.stderr}`);
    addUser(db, TEST_USER, 'admin');
    const server = spawn(join(BIN, 'appserver'), ['serve', '--db', db, '--listen', `127.0.0.1:${serverPort}`],
      { stdio: ['ignore', 'pipe', 'pipe'] });
    children.push(server);
    await waitForListening(serverPort);
  }
  const webPort = await freePort();
  const args = ['--server', `127.0.0.1:${serverPort}`, '--web', `127.0.0.1:${webPort}`,
    '--documents', join(dir, 'documents'), ...hostArgs];
  if (appserver) args.push('--db', db);
  if (module) args.push('--module', module);
  if (signIn) args.push('--user', TEST_USER);
  const host = spawn(join(BIN, 'host'), args, {
    stdio: ['ignore', 'pipe', 'pipe'],
    env: { ...process.env, VQR_PASSWORD: TEST_PASSWORD },
  });
  children.push(host);
  const match = await waitForLine(host, /(http:\/\/127\.0\.0\.1:\d+\/\S*token=[A-Za-z0-9_-]+)/, 'host');
  return {
    dir,
    db,
    url: match[1],
    origin: `http://127.0.0.1:${webPort}`,
    webPort,
    serverPort,
    // Stops the application server only, as when its machine goes down.
    async stopServer() {
      const server = appserver ? children[0] : null;
      if (!server || server.exitCode !== null) return;
      server.kill('SIGKILL');
      await new Promise((r) => { if (server.exitCode !== null) r(); else server.once('exit', r); });
    },
    async stop() {
      for (const child of children.reverse()) {
        if (child.exitCode === null) {
          child.kill('SIGTERM');
          await new Promise((r) => { child.once('exit', r); setTimeout(r, 3000); });
          if (child.exitCode === null) child.kill('SIGKILL');
        }
      }
      rmSync(dir, { recursive: true, force: true });
    },
  };
}

export const TEST_MODULE = join(ROOT, 'build', 'lib', 'TestModule.so');

async function waitForListening(port, timeoutMs = 15000) {
  const { connect } = await import('node:net');
  const deadline = Date.now() + timeoutMs;
  while (Date.now() < deadline) {
    const ok = await new Promise((r) => {
      const socket = connect(port, '127.0.0.1');
      socket.once('connect', () => { socket.destroy(); r(true); });
      socket.once('error', () => r(false));
    });
    if (ok) return;
    await new Promise((r) => setTimeout(r, 100));
  }
  throw new Error(`nothing listens on 127.0.0.1:${port}`);
}

export function binariesBuilt() {
  return existsSync(join(BIN, 'host')) && existsSync(join(BIN, 'appserver'));
}
