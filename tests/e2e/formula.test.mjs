// The price composition formula in the browser, its main path: open it from the price
// table for a customer, add a factor chosen with the ellipsis search, save it and see
// the new formula text, then recalculate, answer the questions, watch the wait panel
// while the server works, and find the new prices in the price table.
import { test } from 'node:test';
import assert from 'node:assert/strict';
import { spawn } from 'node:child_process';
import { formattedRegistration, sqlRows } from './support/database.mjs';
import { useSystemAndBrowser, gridTexts, messageText, openModuleMenu, click, control, press, screenshot, seq, shownText, type, waitIdle } from './support/browser.mjs';

const FORM = 'frmFormCompPreco';
const GRID = `${FORM}.dbgCompPreClie`;
const MAIN_GRID = 'frmTabPreClie.dbgPadrao';
const PRICE = 2;

let system;
let page;

// The first demo customer: it has a formula and special prices.
function demoCustomer() {
  const [[code, number, name, kind]] = sqlRows(system.db,
    "SELECT CDCLIENTE, NRINSJURCLIE, NMRAZSOCCLIE, IDTPIJURCLIE FROM CLIENTE WHERE CDCLIENTE = '000001'");
  const formatted = formattedRegistration(number, kind);
  return { code, formatted, name };
}

// The special prices of the customer for the first leaf products, as the grid shows them.
function shownPrices(customer, count) {
  return sqlRows(system.db, `SELECT COALESCE(t.VRPRECOPROD, '') FROM PRODUTO p
    LEFT JOIN TABPRECLIE t ON t.CDPRODUTO = p.CDPRODUTO AND t.CDCLIENTE = '${customer}'
    WHERE p.NRNIVEL = 3 ORDER BY p.CDARVPROD LIMIT ${count}`).map(([price]) => (price === ''
    ? '' : Number(price).toFixed(3).replace('.', ',').replace(/\B(?=(\d{3})+,)/g, '.')));
}

// Holds the database's write lock from another connection until released, so the
// recalculation blocks for as long as the test needs to look at the screen.
async function lockDatabase() {
  const holder = spawn('sqlite3', [system.db], { stdio: ['pipe', 'pipe', 'inherit'] });
  await new Promise((resolve) => {
    holder.stdout.on('data', (chunk) => { if (chunk.toString().includes('locked')) resolve(); });
    holder.stdin.write("BEGIN IMMEDIATE; SELECT 'locked';\n");
  });
  return () => new Promise((resolve) => {
    holder.once('exit', resolve);
    holder.stdin.end('COMMIT;\n');
  });
}

useSystemAndBrowser(undefined, (s, p) => {
  system = s;
  page = p;
});

test('a factor is added through the search and saved, and the recalculation reprices the table', async () => {
  const customer = demoCustomer();
  await openModuleMenu(page);
  let before;
  await click(page, 'frmTabPreClie.medCdClie');
  await type(page, customer.formatted);
  await press(page, 'Tab');
  assert.equal(await shownText(page, 'frmTabPreClie.edtNmClie'), customer.name);
  const pricesBefore = await gridTexts(page, MAIN_GRID, PRICE, 5);

  await click(page, 'frmTabPreClie.sbtFormComp');
  const win = page.locator(`.window.modal[data-name="${FORM}"]`);
  assert.equal(await win.count(), 1, 'the formula is a modal window');
  assert.match(await win.locator('.title-caption').innerText(), /Fórmula de Composição/);
  for (const side of ['sbtHelp', 'sbtConfirma', 'sbtCancel', 'sbtCancelar']) {
    assert.equal(await control(page, `${FORM}.${side}`).count(), 1, side);
  }
  const formula = control(page, `${FORM}.edtFormula`);
  assert.equal(await formula.evaluate((node) => getComputedStyle(node).color), 'rgb(0, 0, 255)');
  assert.equal(await formula.evaluate((node) => getComputedStyle(node).fontWeight), '700');
  const textBefore = await shownText(page, `${FORM}.edtFormula`);
  await screenshot(page, 'formula-opened');

  await press(page, 'F2');
  await type(page, '4');
  await press(page, 'Tab');
  before = await seq(page);
  await control(page, GRID).locator('.grid-ellipsis').dispatchEvent('mousedown');
  await waitIdle(page, before);
  const search = page.locator('.window[data-name="dlgPesquisa"]');
  assert.match(await search.locator('.title-caption').innerText(), /Fator de Ajuste do Preço/);
  await screenshot(page, 'formula-factor-search');
  before = await seq(page);
  await search.locator('.grid-cell', { hasText: /^DESC$/ }).dispatchEvent('mousedown');
  await waitIdle(page, before);
  await click(page, 'dlgPesquisa.btnOK');
  assert.match(await control(page, GRID).locator('.grid-cell[data-row="0"][data-col="1"]').innerText(), /^DESC\b/);
  await press(page, 'Tab');
  await press(page, 'p');
  assert.match(await control(page, GRID).locator('.grid-cell[data-row="0"][data-col="2"]').innerText(), /^Percentual/);
  await press(page, 'Tab');
  await type(page, '5');
  await press(page, 'Tab');
  before = await seq(page);
  await control(page, GRID).locator('.grid-pick').dispatchEvent('mousedown');
  await page.locator('.pick-popup .popup-item', { hasText: /^-$/ }).dispatchEvent('mousedown');
  await waitIdle(page, before);
  await press(page, 'Control+Enter');
  // The text follows the saved row; on a loaded machine its state may come a moment later.
  const expectedText = `${textBefore} - DESC(5,000%)`;
  await control(page, `${FORM}.edtFormula`)
    .filter({ hasText: expectedText })
    .waitFor({ timeout: 5000 })
    .catch(() => {});
  assert.equal(await shownText(page, `${FORM}.edtFormula`), expectedText);
  assert.deepEqual(sqlRows(system.db, `SELECT CDFATPRECO, IDDETFATPRE, VRFATPRECLIE, IDTPOPERFATCLIE FROM COMPPRECLIE
    WHERE CDCLIENTE = '${customer.code}' AND NRORDEMFAT = '004'`), [['006', 'P', '5.0', 'SUB']]);
  await screenshot(page, 'formula-saved');

  await press(page, 'Enter');
  assert.match(await messageText(page), /Deseja recalcular o preço dos produtos/);
  const release = await lockDatabase();
  try {
    await control(page, 'dlgMessage.btnYes').dispatchEvent('mousedown');
    await page.waitForFunction((path) => {
      const panel = document.querySelector(`[data-path="${path}.panEspera"]`);
      const animation = document.querySelector(`[data-path="${path}.anmAnimacao"]`);
      return panel && !panel.hidden && animation && animation.classList.contains('active')
        && document.body.classList.contains('busy');
    }, FORM, { timeout: 10000 });
    assert.match(await shownText(page, `${FORM}.lblMensagem`), /Racalculando Preços\.\.\./);
    await screenshot(page, 'formula-recalculating');
  } finally {
    await release();
  }
  await page.waitForSelector('.window[data-name="dlgMessage"]', { timeout: 30000 });
  await waitIdle(page);
  assert.match(await messageText(page), /Recálculo de preços realizado com sucesso\./);
  assert.equal(await control(page, `${FORM}.panEspera`).evaluate((node) => node.hidden), true);
  await screenshot(page, 'formula-recalculated');
  await click(page, 'dlgMessage.btnOK');
  assert.equal(await page.locator(`.window[data-name="${FORM}"]`).count(), 0, 'the screen closed');

  const pricesAfter = await gridTexts(page, MAIN_GRID, PRICE, 5);
  assert.deepEqual(pricesAfter, shownPrices(customer.code, 5), 'the price table shows the stored prices');
  assert.notDeepEqual(pricesAfter, pricesBefore, 'and they are the new ones');
  await screenshot(page, 'formula-prices-reloaded');
});
