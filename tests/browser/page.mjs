// Drives a page in Debian's headless Chromium through playwright-core, step by step:
//   node tests/browser/page.mjs [--before FILE.js] PAGE STEP...
// PAGE: a file, its address's query after it if any (build-web/web/demo.html?frames=100), or a
// URL. --before: a script that runs in the page before the page's own. Steps, in order:
//   wait:EXPR   until the expression is true (60 s at most); print:EXPR   its value, one line
//   check:EXPR  fail unless it is true now
//   key:CODE    press and release a key (Space)
//   shot:FILE   a PNG of the canvas #picture, its own pixels, at one pixel a CSS pixel
// An expression may be a promise, whose value is taken.
// Exits with 1, saying which step failed, on a timeout or an error in the page.
import {readFileSync} from 'node:fs';
import {pathToFileURL} from 'node:url';
import {chromium} from 'playwright-core';

const waitMs = Number(process.env.PAGE_WAIT_MS ?? 60000);
const args = process.argv.slice(2);
const before = args[0] === '--before' ? readFileSync(args.splice(0, 2)[1], 'utf8') : null;
const [where, ...steps] = args;

// A file's URL, which escapes what a path may hold (a space), with the query kept as given.
function address(page) {
    if (/^[a-z][a-z0-9+.-]*:/.test(page)) {
        return page;
    }
    const query = page.indexOf('?');
    const file = query < 0 ? page : page.slice(0, query);
    return pathToFileURL(file).href + (query < 0 ? '' : page.slice(query));
}

// Polled from here rather than in the page, so that the wait adds no animation frame of its own.
async function waitFor(page, expression) {
    for (const end = Date.now() + waitMs; !(await page.evaluate(expression));) {
        if (Date.now() > end) {
            throw new Error(`not true after ${waitMs / 1000} s: ${expression}`);
        }
        await new Promise((resolve) => setTimeout(resolve, 20));
    }
}

const verbs = {
    wait: waitFor,
    print: async (page, expression) => console.log(await page.evaluate(expression)),
    check: async (page, expression) => {
        if (!(await page.evaluate(expression))) {
            throw new Error('not true');
        }
    },
    key: (page, code) => page.keyboard.press(code),
    shot: (page, file) => page.locator('#picture').screenshot({path: file, scale: 'css'}),
};

// The flags that keep Chromium off a network it cannot reach and out of its updates.
const browser = await chromium.launch({
    executablePath: process.env.CHROMIUM ?? '/usr/bin/chromium',
    args: ['--disable-gpu', '--disable-quic', '--no-first-run', '--disable-background-networking',
        '--disable-component-update', '--disable-sync'],
});
const said = [];
let status = 0;
let step = 'start';
try {
    const context = await browser.newContext({viewport: {width: 800, height: 800}, deviceScaleFactor: 1});
    const page = await context.newPage();
    page.setDefaultTimeout(waitMs);
    page.on('console', (message) => said.push(`console.${message.type()}: ${message.text()}`));
    page.on('pageerror', (error) => said.push(`error: ${error.message}`));
    if (before !== null) {
        await page.addInitScript(before);
    }
    const url = address(where);
    step = `open ${url}`;
    await page.goto(url);
    for (step of steps) {
        const [, verb, operand] = step.match(/^(\w+):(.*)$/s) ?? [];
        if (!Object.hasOwn(verbs, verb)) {
            throw new Error('no such step');
        }
        await verbs[verb](page, operand);
    }
    step = 'end';
    if (said.some((line) => line.startsWith('error: '))) {
        throw new Error('the page threw');
    }
} catch (error) {
    console.error(`page.mjs: ${step}: ${error.message}\n--- what the page said ---\n${said.join('\n')}`);
    status = 1;
}
await browser.close();
process.exit(status);
