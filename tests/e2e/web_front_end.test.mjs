// The browser front end on the host's own test forms: menus, message boxes inside a
// modal window, focus and typing, and the WebSocket's refusals.
import { test } from 'node:test';
import assert from 'node:assert/strict';
import { request } from 'node:http';
import { TEST_MODULE } from './support/system.mjs';
import { useSystemAndBrowser, openModuleMenu, click, control, press, screenshot, seq, shownText, type, waitIdle } from './support/browser.mjs';

let system;
let browser;
let page;

useSystemAndBrowser({ appserver: false, module: TEST_MODULE }, (s, p, b) => {
  system = s;
  page = p;
  browser = b;
});

async function openTestForm() {
  if (await control(page, 'frmTeste.btnModal').count()) return;
  await openModuleMenu(page);
}

test('a menu item opens the module screen as a child window of the desktop', async () => {
  await openTestForm();
  const win = page.locator('.window[data-name="frmTeste"]');
  assert.equal(await win.count(), 1);
  assert.match(await win.locator('.title-caption').innerText(), /Formulário de Teste/);
  assert.ok(await page.locator('.desktop .window[data-name="frmTeste"]').count(), 'inside the MDI desktop');
  await screenshot(page, 'web-test-form');
});

test('a message box inside a modal window is answered with the mouse', async () => {
  await openTestForm();
  await click(page, 'frmTeste.btnModal');
  assert.equal(await page.locator('.window.modal[data-name="frmModal"]').count(), 1);
  await click(page, 'frmModal.btnPerguntar');
  const box = page.locator('.window[data-name="dlgMessage"]');
  assert.match(await box.locator('.message-text').innerText(), /Confirma\?/);
  await screenshot(page, 'web-message-box');
  const before = await seq(page);
  await box.locator('[data-name="btnYes"]').dispatchEvent('mousedown');
  await waitIdle(page, before);
  assert.equal(await page.locator('.window[data-name="dlgMessage"]').count(), 0);
  assert.equal(await shownText(page, 'frmModal.lblResposta'), 'Sim');
  await click(page, 'frmModal.btnOK');
  assert.equal(await page.locator('.window[data-name="frmModal"]').count(), 0);
});

test('keys typed in the browser reach the focused edit, filtered by the screen', async () => {
  await openTestForm();
  await click(page, 'frmTeste.edtA1');
  await type(page, 'abxc');
  // The edit drops "x" in its key-press handler, so the host never shows it.
  assert.equal(await shownText(page, 'frmTeste.edtA1'), 'abc');
  assert.ok(await control(page, 'frmTeste.edtA1').evaluate((n) => n.classList.contains('focused')));
  await press(page, 'Tab');
  assert.ok(!(await control(page, 'frmTeste.edtA1').evaluate((n) => n.classList.contains('focused'))));
});

test('an error raised by a screen is shown in an error box and the host goes on', async () => {
  await openTestForm();
  await click(page, 'frmTeste.btnErro');
  const box = page.locator('.window[data-name="dlgMessage"]');
  assert.match(await box.locator('.message-text').innerText(), /Falha de teste no botão\./);
  await press(page, 'Enter');
  assert.equal(await page.locator('.window[data-name="dlgMessage"]').count(), 0);
});

function upgrade(path, headers) {
  return new Promise((resolve, reject) => {
    const req = request({
      host: '127.0.0.1',
      port: system.webPort,
      path,
      headers: {
        Connection: 'Upgrade',
        Upgrade: 'websocket',
        'Sec-WebSocket-Version': '13',
        'Sec-WebSocket-Key': 'dGhlIHNhbXBsZSBub25jZQ==',
        Host: `127.0.0.1:${system.webPort}`,
        ...headers,
      },
    });
    req.on('upgrade', (res, socket) => { socket.destroy(); resolve(res.statusCode); });
    req.on('response', (res) => { res.resume(); resolve(res.statusCode); });
    req.on('error', reject);
    req.end();
  });
}

test('WebSocket upgrades without the token, from a foreign origin or host are refused', async () => {
  const token = new URL(system.url).searchParams.get('token');
  assert.equal(await upgrade('/ws', { Origin: system.origin }), 403);
  assert.equal(await upgrade('/ws?token=wrong', { Origin: system.origin }), 403);
  assert.equal(await upgrade(`/ws?token=${token}`, { Origin: 'http://evil.example' }), 403);
  assert.equal(await upgrade(`/ws?token=${token}`, {}), 403);
  assert.equal(await upgrade(`/ws?token=${token}`, { Origin: 'http://evil.example:80', Host: 'evil.example' }), 403);
});

test('a second tab is told another tab drives the host, and the first keeps working', async () => {
  const second = await browser.context.newPage();
  await second.goto(system.url);
  await second.waitForSelector('#connection:not([hidden])');
  assert.match(await second.locator('#connection').innerText(), /outra aba/);
  await screenshot(second, 'web-second-tab');
  await second.close();
  await click(page, 'frmTeste.edtA1');
  assert.ok(await control(page, 'frmTeste.edtA1').evaluate((n) => n.classList.contains('focused')));
});

test('the page is not served to a foreign Host header', async () => {
  const status = await new Promise((resolve, reject) => {
    const req = request({ host: '127.0.0.1', port: system.webPort, path: '/', headers: { Host: 'evil.example' } });
    req.on('response', (res) => { res.resume(); resolve(res.statusCode); });
    req.on('error', reject);
    req.end();
  });
  assert.equal(status, 403);
});

test('a page opened without the session token says the link is not valid and which one to use', async () => {
  for (const path of ['/', '/?token=wrong', '/index.html']) {
    const answer = await fetch(`${system.origin}${path}`);
    assert.equal(answer.status, 403, path);
    const text = await answer.text();
    assert.match(text, /Este link não é válido/);
    assert.match(text, /endereço exibido quando o sistema foi iniciado/);
  }
  const stale = await browser.context.newPage();
  await stale.goto(`${system.origin}/?token=0123`);
  assert.match(await stale.locator('body').innerText(), /Este link não é válido/);
  await screenshot(stale, 'web-invalid-link');
  await stale.close();
});
