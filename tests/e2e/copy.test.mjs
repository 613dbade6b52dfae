// The data copy screen in the browser, its main path: open it from the price table for
// a customer, copy that customer's prices to two customers marked in the list dialog,
// for a product range and a validity period typed in the date edits, overwriting their
// prices; then choose one of them on the price table and see the copied prices.
import { test } from 'node:test';
import assert from 'node:assert/strict';
import { customerOf, sqlRows } from './support/database.mjs';
import { useSystemAndBrowser, openModuleMenu, click, control, press, screenshot, seq, shownText, type, waitIdle } from './support/browser.mjs';

const FORM = 'frmCopiaDados';
const LIST = 'dlgPesquisaLista';
const MAIN_GRID = 'frmTabPreClie.dbgPadrao';
const [PRICE, START, END] = [2, 3, 4];

let system;
let page;

function sql(query) {
  return sqlRows(system.db, query);
}

function customer(code) {
  return customerOf(system.db, code);
}

// The source's special prices on leaf products, by product code, with each product's
// row in the price grid (the grid lists the leaves by code).
function sourcePrices(code) {
  return sql(`SELECT p.CDARVPROD, t.VRPRECOPROD, (SELECT COUNT(*) FROM PRODUTO q WHERE q.NRNIVEL = 3
      AND q.CDARVPROD < p.CDARVPROD) FROM TABPRECLIE t JOIN PRODUTO p ON p.CDPRODUTO = t.CDPRODUTO
    WHERE t.CDCLIENTE = '${code}' AND p.NRNIVEL = 3 ORDER BY p.CDARVPROD`)
    .map(([product, price, row]) => ({ product, price: Number(price), row: Number(row) }));
}

function shownPrice(value) {
  return value.toFixed(3).replace('.', ',').replace(/\B(?=(\d{3})+,)/g, '.');
}

async function chooseOnPriceTable(who) {
  await click(page, 'frmTabPreClie.medCdClie');
  await type(page, who.formatted);
  await press(page, 'Tab');
  assert.equal(await shownText(page, 'frmTabPreClie.edtNmClie'), who.name);
}

// Finds the customer in the list by typing its number, as a person searches it.
async function findInList(who) {
  await press(page, 'Home');
  await type(page, who.number);
  return control(page, `${LIST}.dbgPesquisa`).locator('.grid-row.current');
}

async function mainCell(row, col) {
  const grid = control(page, MAIN_GRID);
  if (!(await grid.locator(`.grid-cell[data-row="${row}"]`).count())) {
    const before = await seq(page);
    await grid.locator('.grid-body').evaluate((node, r) => { node.scrollTop = r * 18; }, row);
    await waitIdle(page, before);
  }
  return (await grid.locator(`.grid-cell[data-row="${row}"][data-col="${col}"]`).innerText()).trim();
}

useSystemAndBrowser(undefined, (s, p) => {
  system = s;
  page = p;
});

test('prices are copied to two customers chosen in the list, with their validity, and shown on the price table', async () => {
  const source = customer('000001');
  const [first, second] = sql(`SELECT CDCLIENTE FROM CLIENTE WHERE CDCLIENTE <> '000001' ORDER BY CDCLIENTE LIMIT 2`)
    .map(([code]) => customer(code));
  const prices = sourcePrices(source.code);
  assert.ok(prices.length >= 2, 'the demo source has special prices');
  const range = prices.slice(0, 2);

  await openModuleMenu(page);
  let before;
  await chooseOnPriceTable(source);
  await click(page, 'frmTabPreClie.sbtCopiaDados');
  const win = page.locator(`.window.modal[data-name="${FORM}"]`);
  assert.equal(await win.count(), 1, 'the copy screen is a modal window');
  assert.match(await win.locator('.title-caption').innerText(), /Cópia de Dados/);
  assert.equal(await shownText(page, `${FORM}.edtNmCliente`), source.name);
  await screenshot(page, 'copy-opened');

  await click(page, `${FORM}.rbtPreco`);
  await click(page, `${FORM}.chkSubstituir`);
  await click(page, `${FORM}.rbtLista`);
  await click(page, `${FORM}.btpPesqClie`);
  const list = page.locator(`.window[data-name="${LIST}"]`);
  assert.equal(await list.count(), 1, 'the list dialog opens');
  await findInList(first);
  await press(page, 'Space');
  const row = await findInList(second);
  before = await seq(page);
  await row.locator('.grid-mark').dispatchEvent('mousedown');
  await waitIdle(page, before);
  assert.match(await shownText(page, `${LIST}.lblMarcados`), /^Marcados: 2 de /);
  assert.equal((await row.locator('.grid-mark').innerText()).trim(), '☑');
  const firstAgain = await findInList(first);
  assert.equal((await firstAgain.locator('.grid-mark').innerText()).trim(), '☑', 'the first mark is kept');
  await screenshot(page, 'copy-list-marked');
  await click(page, `${LIST}.btnOK`);

  await click(page, `${FORM}.medProdIni`);
  await type(page, range[0].product);
  await click(page, `${FORM}.medProdFin`);
  await type(page, range[1].product);
  await click(page, `${FORM}.DepDataIni`);
  await type(page, '01022026');
  await click(page, `${FORM}.depDataFin`);
  await type(page, '28022026');
  await press(page, 'Tab');
  assert.match(await shownText(page, `${FORM}.DepDataIni`), /01\/02\/2026/);
  assert.match(await shownText(page, `${FORM}.depDataFin`), /Sábado/, 'the weekday of the date is shown');
  assert.equal(await control(page, `${FORM}.DepDataIni`).evaluate((node) => getComputedStyle(node).color),
    'rgb(0, 0, 255)', 'a valid date is blue');
  await screenshot(page, 'copy-filled');

  await click(page, `${FORM}.sbtConfirma`);
  const message = page.locator('.window[data-name="dlgMessage"] .message-text');
  assert.equal(await message.innerText(), 'Confirmar cópia dos preços?');
  await click(page, 'dlgMessage.btnYes');
  assert.equal(await message.innerText(), 'Cópia de dados realizada com sucesso.');
  await screenshot(page, 'copy-done');
  await click(page, 'dlgMessage.btnOK');
  assert.equal(await page.locator(`.window[data-name="${FORM}"]`).count(), 0, 'the screen closed');

  for (const target of [first, second]) {
    assert.deepEqual(sql(`SELECT p.CDARVPROD, t.VRPRECOPROD, t.DTVALINI, t.DTVALFIN FROM TABPRECLIE t
      JOIN PRODUTO p ON p.CDPRODUTO = t.CDPRODUTO WHERE t.CDCLIENTE = '${target.code}'
      AND p.CDARVPROD BETWEEN '${range[0].product}' AND '${range[1].product}' ORDER BY p.CDARVPROD`)
      .map(([product, price, start, end]) => [product, Number(price), start, end]),
    range.map((p) => [p.product, p.price, '2026-02-01', '2026-02-28']), target.code);
  }
  await chooseOnPriceTable(second);
  for (const p of range) {
    assert.equal(await mainCell(p.row, PRICE), shownPrice(p.price));
    assert.equal(await mainCell(p.row, START), '01/02/2026');
    assert.equal(await mainCell(p.row, END), '28/02/2026');
  }
  await screenshot(page, 'copy-prices-shown');
});
