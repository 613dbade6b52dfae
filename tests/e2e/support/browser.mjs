// Debian's Chromium driven by playwright-core, and helpers that act like a person on
// the host's screens and wait for the host to finish handling each input.
import { chromium } from 'playwright-core';
import { mkdtempSync, mkdirSync, rmSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { join } from 'node:path';
import { before, after } from 'node:test';
import { ROOT, startSystem } from './system.mjs';

export const ARTEFACTS = join(ROOT, 'test-results', 'e2e');

export async function openBrowser(url) {
  const profile = mkdtempSync(join(tmpdir(), 'vqr-chromium-'));
  const context = await chromium.launchPersistentContext(profile, {
    executablePath: '/usr/bin/chromium',
    headless: true,
    // Scroll bars as a person sees them: the tests measure what they cover.
    ignoreDefaultArgs: ['--hide-scrollbars'],
    viewport: { width: 1280, height: 800 },
    args: ['--headless', '--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run',
      '--disable-background-networking', '--disable-component-update', '--disable-sync'],
  });
  const page = context.pages()[0] || (await context.newPage());
  if (url) {
    await page.goto(url);
    await waitIdle(page);
  }
  return {
    context,
    page,
    async close() {
      await context.close();
      rmSync(profile, { recursive: true, force: true });
    },
  };
}

export async function seq(page) {
  return Number(await page.evaluate(() => document.body.dataset.seq || -1));
}

// Waits for a state newer than `after` that the host sent while idle.
export async function waitIdle(page, after = -1, timeout = 15000) {
  await page.waitForFunction((previous) => {
    const s = Number(document.body.dataset.seq || -1);
    return s > previous && document.body.dataset.idle === 'true';
  }, after, { timeout });
  // Let a burst of states settle: wait until no newer state arrives for a moment.
  let last = await seq(page);
  for (;;) {
    await page.waitForTimeout(30);
    const now = await seq(page);
    const idle = await page.evaluate(() => document.body.dataset.idle === 'true');
    if (now === last && idle) return now;
    last = now;
  }
}

export function control(page, path) {
  return page.locator(`[data-path="${path}"]`);
}

export async function click(page, path) {
  const before = await seq(page);
  await control(page, path).dispatchEvent('mousedown', { button: 0 });
  return waitIdle(page, before);
}

export async function press(page, key) {
  const before = await seq(page);
  await page.keyboard.press(key);
  return waitIdle(page, before);
}

// A key of the numeric keypad with Num Lock on, as the keyboard sends it (Playwright's
// own keypad keys are those of Num Lock off): "0" to "9", "." or "Enter".
const KEYPAD = { '.': { vk: 110, code: 'NumpadDecimal' }, Enter: { vk: 13, code: 'NumpadEnter', text: '\r' } };
export async function pressKeypad(page, key) {
  const k = KEYPAD[key] || { vk: 96 + Number(key), code: `Numpad${key}` };
  const text = k.text ?? key;
  const cdp = await page.context().newCDPSession(page);
  const before = await seq(page);
  const event = { windowsVirtualKeyCode: k.vk, nativeVirtualKeyCode: k.vk, code: k.code, key: key === 'Enter' ? 'Enter' : key, location: 3 };
  await cdp.send('Input.dispatchKeyEvent', { type: 'keyDown', text, unmodifiedText: text, ...event });
  await cdp.send('Input.dispatchKeyEvent', { type: 'keyUp', ...event });
  await cdp.detach();
  return waitIdle(page, before);
}

export async function type(page, text) {
  for (const ch of text) {
    const before = await seq(page);
    await page.keyboard.press(ch === ' ' ? 'Space' : ch);
    await waitIdle(page, before);
  }
}

export async function screenshot(page, name) {
  mkdirSync(ARTEFACTS, { recursive: true });
  await page.screenshot({ path: join(ARTEFACTS, `${name}.png`) });
}

// The text of a control as drawn.
export async function shownText(page, path) {
  return (await control(page, path).innerText()).trim();
}

// The part of an element its scroll bars leave free, in page coordinates, and whether
// it scrolls sideways.
export async function visibleArea(locator) {
  return locator.evaluate((node) => {
    const r = node.getBoundingClientRect();
    const left = r.left + node.clientLeft;
    const top = r.top + node.clientTop;
    return {
      left, top, right: left + node.clientWidth, bottom: top + node.clientHeight,
      sideways: node.scrollWidth > node.clientWidth,
      verticalBar: node.offsetWidth - node.clientWidth - 2 * node.clientLeft,
      horizontalBar: node.offsetHeight - node.clientHeight - 2 * node.clientTop,
    };
  });
}

export async function box(locator) {
  return locator.evaluate((node) => {
    const r = node.getBoundingClientRect();
    return { left: r.left, top: r.top, right: r.right, bottom: r.bottom, width: r.width, height: r.height };
  });
}

// Waits for the host's answer to whatever `action` does in the page.
export async function answered(page, action) {
  const before = await seq(page);
  await action();
  return waitIdle(page, before);
}

// Drags with the mouse from (x, y) by (dx, dy) in `steps` moves, and waits for the
// host's answer to the release.
export async function drag(page, x, y, dx, dy, steps) {
  await page.mouse.move(x, y);
  await page.mouse.down();
  await page.mouse.move(x + dx, y + dy, { steps });
  await answered(page, () => page.mouse.up());
}

// Clicks a cell of a grid (row absolute), scrolling the grid to it first when it is
// not among the rows shown.
export async function clickGridCell(page, path, row, col) {
  const cell = () => control(page, path).locator(`.grid-cell[data-row="${row}"][data-col="${col}"]`);
  if (!(await cell().count())) {
    await answered(page, () => control(page, path).locator('.grid-body').evaluate((node, r) => { node.scrollTop = r * 18; }, row));
  }
  await answered(page, () => cell().dispatchEvent('mousedown'));
}

// The texts of the first `count` rows of column `col` of the grid `path`.
export async function gridTexts(page, path, col, count) {
  const texts = [];
  for (let row = 0; row < count; row++) {
    texts.push((await control(page, path).locator(`.grid-cell[data-row="${row}"][data-col="${col}"]`).innerText()).trim());
  }
  return texts;
}

// The text of the message box shown.
export async function messageText(page) {
  return page.locator('.window[data-name="dlgMessage"] .message-text').innerText();
}

// Chooses Cadastros > Tabela de Preço por Cliente in the host's menu, which calls the
// loaded module's entry.
export async function openModuleMenu(page) {
  await page.locator('.menu-top', { hasText: 'Cadastros' }).dispatchEvent('mousedown');
  const before = await seq(page);
  await page.locator('.popup-item', { hasText: 'Tabela de Preço por Cliente' }).dispatchEvent('mousedown');
  await waitIdle(page, before);
}

// Opens the price table from the host's menu and chooses the customer by its
// registration number as typed (`formatted`), as a person does.
export async function openPriceTable(page, formatted) {
  await openModuleMenu(page);
  await click(page, 'frmTabPreClie.medCdClie');
  await type(page, formatted);
  await press(page, 'Tab');
}

// The system (startSystem's `options`) and a browser on it, started before the tests of
// a file and stopped after them; `use(system, page, browser)` receives them once they
// run, and may prepare the page before the first test (it is awaited).
export function useSystemAndBrowser(options, use) {
  let system;
  let browser;
  before(async () => {
    system = await startSystem(options);
    browser = await openBrowser(system.url);
    await use(system, browser.page, browser);
  });
  after(async () => {
    if (browser) await browser.close();
    if (system) await system.stop();
  });
}
