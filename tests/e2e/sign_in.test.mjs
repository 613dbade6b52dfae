// Signing in, in the browser: the page opens on the sign-in window, refuses a wrong
// password in the window itself, and once signed in the price saved is the user's in
// the customer's price history.
import { test, before, after } from 'node:test';
import assert from 'node:assert/strict';
import { formattedRegistration, sqlRows } from './support/database.mjs';
import { startSystem, TEST_USER, TEST_PASSWORD } from './support/system.mjs';
import {
  answered, openBrowser, openPriceTable, click, control, press, screenshot, shownText, type,
} from './support/browser.mjs';

const GRID = 'frmTabPreClie.dbgPadrao';
const HISTORY = 'frmHistPreco.dbgHistorico';
const PRICE = 2;
const USER = 3;

let system;
let browser;
let page;

before(async () => {
  system = await startSystem({ signIn: false });
  browser = await openBrowser(system.url);
  page = browser.page;
});

after(async () => {
  if (browser) await browser.close();
  if (system) await system.stop();
});

function cell(path, row, col) {
  return control(page, path).locator(`.grid-cell[data-row="${row}"][data-col="${col}"]`);
}

test('a person signs in, saves a price and finds it under their name in the history', async () => {
  const signIn = page.locator('.window.modal[data-name="frmEntrar"]');
  assert.equal(await signIn.count(), 1, 'the sign-in window comes first, over the frame');
  assert.match(await signIn.locator('.title-caption').innerText(), /Entrar no sistema/);
  await screenshot(page, 'sign-in-window');

  await click(page, 'frmEntrar.edtUsuario');
  await type(page, TEST_USER);
  await press(page, 'Tab');
  await type(page, 'errada123');
  assert.equal(await shownText(page, 'frmEntrar.edtSenha'), '*********', 'the password is drawn as asterisks');
  await click(page, 'frmEntrar.btnEntrar');
  assert.equal(await shownText(page, 'frmEntrar.lblMensagem'), 'Usuário ou senha inválidos.');
  await type(page, TEST_PASSWORD);
  await press(page, 'Enter');
  assert.equal(await signIn.count(), 0, 'signed in, the window closes');
  assert.match(await shownText(page, 'frmHost.stbHost'), /Usuário: Pessoa teste \(teste, admin\)/);

  const [[code, number, kind]] = sqlRows(system.db,
    "SELECT CDCLIENTE, NRINSJURCLIE, IDTPIJURCLIE FROM CLIENTE ORDER BY CDCLIENTE LIMIT 1");
  await openPriceTable(page, formattedRegistration(number, kind));
  await answered(page, () => cell(GRID, 0, PRICE).dispatchEvent('mousedown'));
  await type(page, '17,5');
  await press(page, 'Enter');
  await press(page, 'ArrowDown');
  assert.equal((await cell(GRID, 0, PRICE).innerText()).trim(), '17,500');
  const [[stored, user]] = sqlRows(system.db,
    `SELECT T.VRPRECOPROD, H.CDUSUARIO FROM TABPRECLIE T JOIN TABPRECLIEHIST H ON H.CDCLIENTE = T.CDCLIENTE
     AND H.CDPRODUTO = T.CDPRODUTO WHERE T.CDCLIENTE = '${code}' ORDER BY H.NRSEQHIST DESC LIMIT 1`);
  assert.equal(Number(stored), 17.5);
  assert.equal(user, TEST_USER);

  await click(page, 'frmTabPreClie.sbtHistorico');
  assert.equal(await page.locator('.window.modal[data-name="frmHistPreco"]').count(), 1);
  await click(page, 'frmHistPreco.rbtTodosProd');
  const title = control(page, HISTORY).locator(`.grid-title[data-col="${USER}"]`);
  assert.equal((await title.innerText()).trim(), 'Usuário');
  assert.equal((await cell(HISTORY, 0, USER).innerText()).trim(), TEST_USER, 'the change names who made it');
  await screenshot(page, 'sign-in-history-user');
});
