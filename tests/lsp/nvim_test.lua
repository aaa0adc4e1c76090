-- Neovim's own LSP client against zabrel-lsp, driven as a writer would: open an Urdu
-- Markdown file, read the diagnostics, take a suggestion and "add to the personal list"
-- through the code-action menu. Every step is written to $ZABREL_OUT for the test to
-- judge; a step that never comes ends the run with status 1 and what came so far.
local env = vim.env
local out = {}

local function say(line)
  table.insert(out, line)
end

local function finish(status)
  vim.fn.writefile(out, env.ZABREL_OUT)
  vim.cmd((status == 0 and 'qall!' or 'cquit! ' .. status))
end

local function waitFor(what, condition)
  if not vim.wait(30000, condition, 20) then
    say('timed out waiting for ' .. what)
    finish(1)
  end
end

-- One line per diagnostic, in the buffer's byte columns (the client converts from the
-- server's encoding), sorted by place.
local function diagnostics(buf)
  local all = vim.diagnostic.get(buf)
  table.sort(all, function(a, b)
    return a.lnum < b.lnum or (a.lnum == b.lnum and a.col < b.col)
  end)
  local lines = {}
  for _, d in ipairs(all) do
    table.insert(lines, string.format('%d:%d-%d:%d %s %s %s', d.lnum, d.col, d.end_lnum, d.end_col,
      vim.diagnostic.severity[d.severity], d.source, d.code))
    -- The wording is the server's own: only shown, on a line of its own.
    table.insert(lines, '  message: ' .. d.message)
  end
  return lines
end

local function dump(title, lines)
  say(title)
  for _, line in ipairs(lines) do
    say('  ' .. line)
  end
end

publications = 0
lastVersion = nil
local publish = vim.lsp.handlers['textDocument/publishDiagnostics']
vim.lsp.handlers['textDocument/publishDiagnostics'] = function(err, result, ctx, config)
  publications = publications + 1
  lastVersion = result.version
  return publish(err, result, ctx, config)
end

vim.cmd('filetype on')
-- The README's set-up alone: the file opened, its diagnostics shown, and nothing more.
if env.ZABREL_SETUP then
  vim.cmd('luafile ' .. vim.fn.fnameescape(env.ZABREL_SETUP))
  vim.cmd('edit ' .. vim.fn.fnameescape(env.ZABREL_FILE))
  waitFor('the first diagnostics', function()
    return #vim.diagnostic.get(0) > 0
  end)
  dump('diagnostics', diagnostics(0))
  finish(0)
  return
end
vim.cmd('edit ' .. vim.fn.fnameescape(env.ZABREL_FILE))
local buf = vim.api.nvim_get_current_buf()
say('filetype ' .. vim.bo[buf].filetype .. ' ' .. vim.bo[buf].fileformat)

local capabilities = vim.lsp.protocol.make_client_capabilities()
if env.ZABREL_ENCODING == 'utf-8' then
  -- 0.7 does not negotiate: it offers what it is told and counts as it is told.
  capabilities.general = { positionEncodings = { 'utf-8', 'utf-16' } }
end
local client_id = vim.lsp.start_client({
  name = 'zabrel',
  cmd = { env.ZABREL_LSP, '--stdio', '--dictionary', env.ZABREL_DICTIONARY },
  root_dir = vim.fn.fnamemodify(env.ZABREL_FILE, ':h'),
  capabilities = capabilities,
  offset_encoding = env.ZABREL_ENCODING,
  init_options = { zabrel = { severity = 'warning' } },
  on_exit = function(code, signal)
    say(string.format('server exited %d %d', code, signal))
  end,
})
if not client_id then
  say('the client did not start')
  finish(1)
end
vim.lsp.buf_attach_client(buf, client_id)
local client = vim.lsp.get_client_by_id(client_id)

waitFor('the first diagnostics', function()
  return #vim.diagnostic.get(buf) > 0
end)
say('encoding ' .. client.offset_encoding .. ', the server answers ' .. tostring(client.server_capabilities.positionEncoding))
local before = diagnostics(buf)
dump('diagnostics', before)

-- A Command, or a CodeAction that carries one.
local function commandOf(action)
  if type(action.command) == 'table' then
    return action.command.command
  end
  return action.command
end

-- The code-action menu, answered by a writer who picks `choose` from what is offered.
local function codeAction(line, col, choose)
  vim.api.nvim_win_set_cursor(0, { line + 1, col })
  local offered
  vim.ui.select = function(items, _, onChoice)
    offered = items
    local picked
    local commands = {}
    local shape = 'the first a preferred quickfix, the other fixes not preferred'
    local fixes = 0
    for _, item in ipairs(items) do
      local action = item[2]
      say('    title: ' .. action.title)
      if commandOf(action) then
        table.insert(commands, commandOf(action))
      else
        fixes = fixes + 1
      end
      if not commandOf(action) and (action.edit == nil or action.kind ~= 'quickfix'
          or (action.isPreferred or false) ~= (fixes == 1)) then
        shape = 'not as expected: ' .. vim.inspect(action)
      end
      if not picked and choose(action) then
        picked = item
      end
    end
    table.sort(commands)
    say('actions: ' .. shape .. '; commands ' .. table.concat(commands, ' '))
    onChoice(picked)
  end
  vim.lsp.buf.code_action()
  waitFor('the code actions', function()
    return offered ~= nil
  end)
end

-- The first misspelt word of a line, by its place in the buffer.
local function firstOn(line)
  local found = vim.diagnostic.get(buf, { lnum = line })
  table.sort(found, function(a, b)
    return a.col < b.col
  end)
  if not found[1] then
    say('no diagnostic on line ' .. line)
    finish(1)
  end
  return found[1]
end

-- Applies `step` and waits for the diagnostics it brings: new ones, published after it,
-- and for the buffer's latest version when the server says which version it checked.
local function step(title, action)
  say('== ' .. title)
  local from = diagnostics(buf)
  local published = publications
  action()
  waitFor('new diagnostics after: ' .. title, function()
    return publications > published
      and (lastVersion == nil or lastVersion == vim.lsp.util.buf_versions[buf])
      and not vim.deep_equal(diagnostics(buf), from)
  end)
end

local function command(name)
  return function(action)
    return commandOf(action) == name
  end
end

step('the preferred suggestion taken', function()
  local word = firstOn(2)
  codeAction(word.lnum, word.col, function(action)
    return action.isPreferred
  end)
end)
dump('buffer', vim.api.nvim_buf_get_lines(buf, 0, -1, false))
dump('diagnostics', diagnostics(buf))

step('a word added to the personal list', function()
  local word = firstOn(2)
  codeAction(word.lnum, word.col, command('zabrel.addWord'))
end)
dump('diagnostics', diagnostics(buf))

-- Typed at the start of a line, as an incremental change the client computes itself.
step('a misspelt word typed', function()
  vim.api.nvim_buf_set_text(buf, 2, 0, 2, 0, { env.ZABREL_TYPED })
end)
dump('diagnostics', diagnostics(buf))

step('the severity changed', function()
  client.notify('workspace/didChangeConfiguration', { settings = { zabrel = { severity = 'error' } } })
end)
dump('diagnostics', diagnostics(buf))

step('a word ignored in this document', function()
  local word = firstOn(0)
  codeAction(word.lnum, word.col, command('zabrel.ignoreInDocument'))
end)
dump('diagnostics', diagnostics(buf))

vim.cmd('silent write')
client.stop()
waitFor('the server to stop', function()
  return client.is_stopped()
end)
finish(0)
